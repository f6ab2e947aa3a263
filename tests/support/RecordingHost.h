#ifndef TESSELY_TESTS_RECORDINGHOST_H
#define TESSELY_TESTS_RECORDINGHOST_H

#include "controller/RunOperation.h"
#include "platform/JobHost.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tessely::test
{

/// A job host that records every call as text ("show", "hide", "status 3", "yield") and answers with a fixed
/// date.
class RecordingHost : public JobHost
{
public:
    void showStatus(bool visible) override;
    void setStatus(std::uint64_t number) override;
    bool yield() override;
    /// True once a yield has answered that the user asked to stop, or once a test set `stopNow`.
    bool stopRequested() override;
    Date today() override;

    std::vector<std::string> calls;
    Date date { 2026, 12, 6 };
    /// Number of yields to allow before answering that the user asked to stop; negative means never stop.
    long yieldsBeforeStop = -1;
    /// Makes `stopRequested` answer true from now on (not recorded in `calls`, as jobs ask it often).
    bool stopNow = false;
    bool visible = false;
};

/// An open dialog and message box that answer from a script and record what they were shown.
class ScriptedUi : public OperationUi
{
public:
    Selection showOpen(const DialogSetup& setup) override;
    void showMessage(const Message& message) override;
    std::optional<ContactGroups> askGroups() override;

    /// The selections the dialog gives, one per call; an exhausted script cancels.
    std::deque<Selection> selections;
    std::vector<DialogSetup> dialogs;
    std::vector<Message> messages;
    /// The answers of the groups dialog, one per call; an exhausted script cancels.
    std::deque<std::optional<ContactGroups>> groups;
    /// How many times the groups dialog was shown.
    int groupsAsked = 0;
};

} // namespace tessely::test

#endif
