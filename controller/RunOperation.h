#ifndef TESSELY_CONTROLLER_RUNOPERATION_H
#define TESSELY_CONTROLLER_RUNOPERATION_H

#include "Operation.h"
#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <string>

namespace tessely
{

/// The dialogs a front end shows around a job.
class OperationUi
{
public:
    virtual ~OperationUi() = default;
    /// Shows the open dialog and gives the selection: one full path; for several files the folder, NUL,
    /// name, NUL, name...; empty when cancelled.
    virtual std::string showOpen(const DialogSetup& setup) = 0;
    /// Shows a message and returns when the user has closed it.
    virtual void showMessage(const Message& message) = 0;
};

/// How a command ended.
enum class Outcome { Cancelled, NothingToProcess, Succeeded, Failed, Stopped };

/// Runs one job between the open dialog and the closing message: asks for the selection, checks it, runs
/// the job and reports its result. A FileError from the job passes out to the front end, which shows it
/// with `failureMessage(kind, error)`.
Outcome RunOperation(OperationKind kind, OperationUi& ui, FileSystem& fs, JobHost& host);

} // namespace tessely

#endif
