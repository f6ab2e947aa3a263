#include "RunOperation.h"

#include "export/ExportToCsv.h"
#include "platform/FileError.h"
#include "recombine/RecombineFiles.h"
#include "split/SplitContacts.h"
#include "split/SplitIntoGroups.h"
#include "vcard/CountContacts.h"

namespace tessely
{
namespace
{

/// Runs the job of the request; gives NothingToProcess without running it when the selection holds fewer
/// than two contacts or files.
Outcome runJob(const OperationRequest& request, MessageSink& messages, FileSystem& fs, JobHost& host)
{
    const OperationKind kind = request.kind;
    const Selection& selection = request.selection;
    JobResult result;
    GroupsResult grouped;
    if (kind == OperationKind::Recombine) {
        if (selection.names.size() < 2) {
            messages.showMessage(nothingToProcessMessage(kind));
            return Outcome::NothingToProcess;
        }
        result = RecombineFiles(fs, host, selection);
    } else {
        const std::string source = selection.path();
        // A folder, a FIFO or a device is refused before anything reads it; a missing file has no contacts.
        const PathKind what = fs.kindOf(source);
        if (what == PathKind::Folder || what == PathKind::Other)
            throw FileError("cannot open file", source, FileErrc::NotRegularFile);
        // Two contacts are enough to know that the file is worth a job; the rest is not counted.
        const std::uint64_t contacts = CountContacts(fs, host, source, 2);
        if (host.stopRequested())
            return Outcome::Stopped;
        if (contacts <= 1) {
            messages.showMessage(nothingToProcessMessage(kind));
            return Outcome::NothingToProcess;
        }
        switch (kind) {
        case OperationKind::Split:
            result = SplitContacts(fs, host, source, request.naming);
            break;
        case OperationKind::ExportWorkbook:
            result = ExportToWorkbook(fs, host, source);
            break;
        case OperationKind::SplitGroups:
            grouped = SplitIntoGroups(fs, host, source, request.groups);
            result = grouped;
            break;
        case OperationKind::Export:
        case OperationKind::Recombine:
            result = ExportToCsv(fs, host, source);
            break;
        }
    }

    if (result.stopped)
        return Outcome::Stopped;
    if (result.count == 0) {
        messages.showMessage(failureMessage(kind));
        return Outcome::Failed;
    }
    messages.showMessage(kind == OperationKind::SplitGroups
            ? groupsSuccessMessage(grouped, request.groups)
            : successMessage(kind, result.count, result.location, result.skippedLines, result.shortenedCells));
    return Outcome::Succeeded;
}

} // namespace

std::optional<OperationRequest> askForRequest(OperationKind kind, OperationUi& ui)
{
    OperationRequest request;
    request.kind = kind;
    // How to group the contacts is asked before the file; cancelling it asks nothing more.
    if (kind == OperationKind::SplitGroups) {
        const std::optional<ContactGroups> groups = ui.askGroups();
        if (!groups)
            return std::nullopt;
        request.groups = *groups;
    }
    request.selection = ui.showOpen(dialogSetupFor(kind));
    if (request.selection.empty())
        return std::nullopt;
    return request;
}

Outcome RunOperation(const OperationRequest& request, MessageSink& messages, FileSystem& fs, JobHost& host)
{
    const OperationKind kind = request.kind;
    try {
        return runJob(request, messages, fs, host);
    } catch (const FileError& error) {
        if (host.stopRequested())
            return Outcome::Stopped;
        messages.showMessage(failureMessage(kind, error));
        return Outcome::FileFailed;
    } catch (const std::exception& error) {
        if (host.stopRequested())
            return Outcome::Stopped;
        messages.showMessage(failureMessage(kind, error));
        return Outcome::Failed;
    }
}

} // namespace tessely
