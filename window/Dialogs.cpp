#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

class QtDialogs : public Dialogs {
public:
    void Message(QWidget* parent, const QString& text, const QString& caption, Icon icon) override
    {
        static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::Critical, QMessageBox::Warning,
                                                      QMessageBox::Information};
        QMessageBox box(kIcons[static_cast<int>(icon)], caption, text, QMessageBox::Ok, parent);
        // Modal to the whole program: no window of it takes input until the box is dismissed.
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }

    QString ExistingFolder(QWidget* parent, const QString& title) override
    {
        return QFileDialog::getExistingDirectory(parent, title);
    }

    QString OpenFile(QWidget* parent, const QString& title, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    }
};

QtDialogs qtDialogs;
Dialogs* current = nullptr;

}  // namespace

Dialogs& CurrentDialogs()
{
    return current != nullptr ? *current : static_cast<Dialogs&>(qtDialogs);
}

void SetDialogs(Dialogs* dialogs)
{
    current = dialogs;
}
