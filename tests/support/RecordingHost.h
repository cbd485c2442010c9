#pragma once

#include <functional>
#include <string>
#include <vector>

#include "DiscCatalogue.h"
#include "ExtractionHost.h"

// An ExtractionHost that remembers every call in order, as one line each, and answers
// from plain fields: the folder text, the titles of one disc, the progress bar.
class RecordingHost : public ExtractionHost {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    std::string folder;
    DiscId titlesOf = kDisc1;
    int progressMax = 100;
    int progressPosition = 0;
    std::string status;
    std::vector<Message> messages;
    std::vector<std::string> calls;  // "status:...", "max:N", "pos:N", "pump", "message:..."
    bool recordPositions = true;     // a full disc makes tens of thousands of them
    std::function<void()> onPump;

    std::string OutputFolderText() override { return folder; }
    std::string MovieListItem(int index) override;
    void SetStatusText(const std::string& text) override;
    void SetProgressMax(int max) override;
    int ProgressMax() override { return progressMax; }
    void SetProgressPosition(int position) override;
    int ProgressPosition() override { return progressPosition; }
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void PumpEvents() override;

    int Count(const std::string& call) const;
};
