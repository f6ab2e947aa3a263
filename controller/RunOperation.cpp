#include "RunOperation.h"

#include "export/ExportToCsv.h"
#include "recombine/RecombineFiles.h"
#include "split/CountContacts.h"
#include "split/SplitContacts.h"

namespace tessely
{

Outcome RunOperation(OperationKind kind, OperationUi& ui, FileSystem& fs, JobHost& host)
{
    const std::string selection = ui.showOpen(dialogSetupFor(kind));
    if (selection.empty())
        return Outcome::Cancelled;

    JobResult result;
    if (kind == OperationKind::Recombine) {
        if (selection.find('\0') == std::string::npos) {
            ui.showMessage(nothingToProcessMessage(kind));
            return Outcome::NothingToProcess;
        }
        result = RecombineFiles(fs, host, selection);
    } else {
        if (CountContacts(fs, selection) <= 1) {
            ui.showMessage(nothingToProcessMessage(kind));
            return Outcome::NothingToProcess;
        }
        result = kind == OperationKind::Split ? SplitContacts(fs, host, selection) : ExportToCsv(fs, selection);
    }

    if (result.stopped)
        return Outcome::Stopped;
    if (result.count == 0) {
        ui.showMessage(failureMessage(kind));
        return Outcome::Failed;
    }
    ui.showMessage(successMessage(kind, result.count, result.location));
    return Outcome::Succeeded;
}

} // namespace tessely
