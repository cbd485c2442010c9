#pragma once

#include <string>

// What the movie extraction needs from the window around it. The window implements
// it with its controls; tests implement it with a recorder. Every call comes from
// the thread that runs the extraction.
class ExtractionHost {
public:
    // The icon of a message box. The values are the Win32 message-box flags.
    enum class MessageIcon { Critical = 0x10, Warning = 0x30, Information = 0x40 };

    virtual ~ExtractionHost() = default;

    // The output folder text, used verbatim: the title is appended without a separator.
    virtual std::string OutputFolderText() = 0;
    // Item `index` of the movie list: the title of that movie of the current disc.
    virtual std::string MovieListItem(int index) = 0;
    virtual void SetStatusText(const std::string& text) = 0;

    virtual void SetProgressMax(int max) = 0;
    virtual int ProgressMax() = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual int ProgressPosition() = 0;

    // A modal box with one OK button; returns once the user has dismissed it.
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // Handles every pending window event once, then returns.
    virtual void PumpEvents() = 0;
};
