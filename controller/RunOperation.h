#ifndef TESSELY_CONTROLLER_RUNOPERATION_H
#define TESSELY_CONTROLLER_RUNOPERATION_H

#include "Operation.h"
#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <optional>

namespace tessely
{

/// Where the message that ends a job goes: a message box, a terminal.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    /// Shows a message and returns when the user has closed it.
    virtual void showMessage(const Message& message) = 0;
};

/// The dialogs a window shows around a job: the open dialog that asks for the files, and the message box.
class OperationUi : public MessageSink
{
public:
    /// Shows the open dialog and gives what the user chose; an empty selection when cancelled.
    virtual Selection showOpen(const DialogSetup& setup) = 0;
    /// Shows the dialog that asks how many contacts (and how many bytes) a file of a split into groups
    /// holds, and gives the answer; nothing when cancelled.
    virtual std::optional<ContactGroups> askGroups() = 0;
};

/// Asks for the files of a job of `kind` through the open dialog set up for it, and for a split into groups
/// first how to group the contacts: the request, its other settings at their defaults, or nothing when the
/// user cancelled either dialog.
std::optional<OperationRequest> askForRequest(OperationKind kind, OperationUi& ui);

/// How a job ended.
enum class Outcome {
    NothingToProcess,
    Succeeded,
    /// The job gave a count of 0, or an error other than a file's ended it (running out of memory...).
    Failed,
    /// A file or folder could not be read or written.
    FileFailed,
    /// The user asked the job to stop.
    Stopped,
};

/// Runs the job a request asks for and reports its result in one message: checks the selection, runs the
/// job and tells how it ended. No dialog is shown: the request carries everything. This is the one place
/// that decides what a failure is: every error that ends a job becomes its failure outcome and message
/// here, so the front ends only show the message and map the outcome (to an exit status, say). A job the
/// user stopped ends without a message.
Outcome RunOperation(const OperationRequest& request, MessageSink& messages, FileSystem& fs, JobHost& host);

} // namespace tessely

#endif
