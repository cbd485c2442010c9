#include "RecordingHost.h"

#include <algorithm>

#include "ArchiveFixture.h"

std::string RecordingHost::MovieListItem(int index)
{
    return fixture::Title(titlesOf, index);
}

void RecordingHost::SetStatusText(const std::string& text)
{
    status = text;
    calls.push_back("status:" + text);
}

void RecordingHost::SetProgressMax(int max)
{
    progressMax = max;
    calls.push_back("max:" + std::to_string(max));
}

void RecordingHost::SetProgressPosition(int position)
{
    progressPosition = position;
    if (recordPositions) calls.push_back("pos:" + std::to_string(position));
}

void RecordingHost::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    messages.push_back({text, caption, icon});
    calls.push_back("message:" + text);
}

void RecordingHost::PumpEvents()
{
    if (recordPositions) calls.push_back("pump");
    if (onPump) onPump();
}

int RecordingHost::Count(const std::string& call) const
{
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}
