#include "RecordingHost.h"

namespace tessely::test
{

void RecordingHost::showStatus(bool show)
{
    visible = show;
    calls.emplace_back(show ? "show" : "hide");
}

void RecordingHost::setStatus(std::uint64_t number)
{
    calls.push_back("status " + std::to_string(number));
}

bool RecordingHost::yield()
{
    calls.emplace_back("yield");
    if (yieldsBeforeStop == 0) {
        stopNow = true;
        return false;
    }
    if (yieldsBeforeStop > 0)
        --yieldsBeforeStop;
    return true;
}

bool RecordingHost::stopRequested()
{
    return stopNow;
}

Date RecordingHost::today()
{
    return date;
}

Selection ScriptedUi::showOpen(const DialogSetup& setup)
{
    dialogs.push_back(setup);
    if (selections.empty())
        return {};
    Selection selection = selections.front();
    selections.pop_front();
    return selection;
}

void ScriptedUi::showMessage(const Message& message)
{
    messages.push_back(message);
}

std::optional<ContactGroups> ScriptedUi::askGroups()
{
    ++groupsAsked;
    if (groups.empty())
        return std::nullopt;
    const std::optional<ContactGroups> answer = groups.front();
    groups.pop_front();
    return answer;
}

} // namespace tessely::test
