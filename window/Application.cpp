#include "Application.h"

#include "Dialogs.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("cpksplit");
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
        return false;
    }
}

void TApplication::ShowException(const std::exception& error)
{
    CurrentDialogs().Message(nullptr, QString::fromUtf8(error.what()) + ".", QString::fromUtf8(ApplicationTitle),
                             Dialogs::Icon::Critical);
}
