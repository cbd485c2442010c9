#pragma once

#include <QString>

class QWidget;

// Every modal dialog the window opens goes through here: message boxes, the folder
// chooser and the file chooser. Tests install a recorder with SetDialogs(), so none of
// them ever blocks a test.
class Dialogs {
public:
    enum class Icon { Critical, Warning, Information };

    virtual ~Dialogs() = default;
    // A box with one OK button, modal to every window of the program.
    virtual void Message(QWidget* parent, const QString& text, const QString& caption, Icon icon) = 0;
    // The chosen folder, or an empty string when the user cancelled.
    virtual QString ExistingFolder(QWidget* parent, const QString& title) = 0;
    // The chosen file, or an empty string when the user cancelled.
    virtual QString OpenFile(QWidget* parent, const QString& title, const QString& filter) = 0;
};

// The dialogs in use: Qt's own unless a test has installed others.
Dialogs& CurrentDialogs();
// Installs `dialogs` (not owned); null restores Qt's own.
void SetDialogs(Dialogs* dialogs);
