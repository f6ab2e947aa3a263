#ifndef TESSELY_CONTROLLER_RUNOPERATION_H
#define TESSELY_CONTROLLER_RUNOPERATION_H

#include "Operation.h"
#include "platform/FileSystem.h"
#include "platform/JobHost.h"

namespace tessely
{

/// The dialogs a front end shows around a job.
class OperationUi
{
public:
    virtual ~OperationUi() = default;
    /// Shows the open dialog and gives what the user chose; an empty selection when cancelled.
    virtual Selection showOpen(const DialogSetup& setup) = 0;
    /// Shows a message and returns when the user has closed it.
    virtual void showMessage(const Message& message) = 0;
};

/// How a command ended.
enum class Outcome {
    Cancelled,
    NothingToProcess,
    Succeeded,
    /// The job gave a count of 0, or an error other than a file's ended it (running out of memory...).
    Failed,
    /// A file or folder could not be read or written.
    FileFailed,
    /// The user asked the job to stop.
    Stopped,
};

/// Runs one job between the open dialog and the closing message: asks for the selection, checks it, runs
/// the job and reports its result. This is the one place that decides what a failure is: every error that
/// ends a job becomes its failure outcome and message here, so the front ends only show the message and map
/// the outcome (to an exit status, say).
Outcome RunOperation(OperationKind kind, OperationUi& ui, FileSystem& fs, JobHost& host);

} // namespace tessely

#endif
