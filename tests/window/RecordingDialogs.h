#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "Dialogs.h"

// Dialogs that never open: each box is recorded and dismissed at once, and the folder
// choosers answer with a fixed folder or file. Installed for as long as it lives.
class RecordingDialogs : public Dialogs {
public:
    struct Box {
        QString text;
        QString caption;
        Icon icon;
    };

    RecordingDialogs() { SetDialogs(this); }
    ~RecordingDialogs() override { SetDialogs(nullptr); }

    QList<Box> boxes;
    QString folderAnswer;  // empty: the user cancels
    QString fileAnswer;    // empty: the user cancels
    QStringList choosers;  // each chooser opened: "folder|title" or "file|title|filter"
    std::function<void()> onMessage;

    void Message(QWidget*, const QString& text, const QString& caption, Icon icon) override
    {
        boxes << Box{text, caption, icon};
        if (onMessage) onMessage();
    }
    QString ExistingFolder(QWidget*, const QString& title) override
    {
        choosers << "folder|" + title;
        return folderAnswer;
    }
    QString OpenFile(QWidget*, const QString& title, const QString& filter) override
    {
        choosers << "file|" + title + "|" + filter;
        return fileAnswer;
    }

    bool NothingOpened() const { return boxes.isEmpty() && choosers.isEmpty(); }

    // Every box as "caption|text", in the order shown.
    QStringList Lines() const
    {
        QStringList lines;
        for (const Box& box : boxes) lines << box.caption + "|" + box.text;
        return lines;
    }
};
