#pragma once

#include <QApplication>
#include <exception>

// The application title: the caption of the exception display.
inline constexpr char ApplicationTitle[] = "ミルドア動画分割";

// The application object. An exception that escapes an event handler ends that handler
// only: it is shown, and the program goes on.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The message followed by a full stop, captioned with the application title.
    static void ShowException(const std::exception& error);
};
