#include "RecombineFiles.h"

#include "platform/LineWriter.h"
#include "platform/Paths.h"
#include "platform/TemporaryFile.h"
#include "vcard/ContactReader.h"

#include <cstdio>

namespace tessely
{
namespace
{

/// Copies every line of `input` to `output`, each ended by CR LF. Gives false when the user asked to stop.
/// Follows the contacts as the other jobs read them, and closes a contact that the file leaves open, and
/// every card still open in it, so the next file's contacts stay contacts of their own.
bool copyLines(LineReader& input, LineWriter& output, JobHost& host)
{
    ContactReader contacts(input, &host);
    ContactPiece piece;
    std::uint64_t open = 0;
    while (contacts.next(piece)) {
        // A contact cut short by the next one is copied as it stands; only the end of the file closes one.
        open = piece.openCards;
        if (piece.openCards > 0)
            continue;
        if (piece.last)
            output.writeLine(piece.text);
        else
            output.write(piece.text);
    }
    for (; open > 0; --open)
        output.writeLine("END:VCARD");
    return !contacts.stopped();
}

} // namespace

std::string recombinedFileName(const Date& date)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d_CONBINED_CONTACTS.vcf", date.month, date.day, date.year);
    return text;
}

JobResult RecombineFiles(FileSystem& fs, JobHost& host, const Selection& selection)
{
    JobResult result;
    if (selection.names.size() < 2)
        return result;

    const std::string name = recombinedFileName(host.today());
    const std::string target = joinPath(selection.folder, name);
    const auto folder = fs.lockFolder(openableFolder(selection.folder));
    // The lines go to a temporary file beside the target, moved into place only when every input has been
    // copied: an earlier output of the same day that is among the inputs is then read intact, and a job
    // that fails or is stopped midway leaves that earlier output as it was.
    TemporaryFile temporary(*folder, name);
    LineWriter output(temporary.sink());
    Permissions permissions = openPermissions;
    {
        StatusGuard status(host);
        for (std::size_t i = 0; i < selection.names.size(); ++i) {
            host.setStatus(i + 1);
            if (!host.yield()) {
                result.stopped = true;
                return result;
            }
            if (i > 0)
                output.writeLine({});
            // The inputs are read from the folder the job holds, whatever is renamed around it.
            auto source = folder->openRead(selection.names[i]);
            // The combined file is readable by no one who could not read every one of its inputs.
            permissions &= source->permissions();
            folder->madeFrom(source->identity());
            LineReader input(std::move(source));
            if (!copyLines(input, output, host)) {
                result.stopped = true;
                return result;
            }
        }
    }
    temporary.setPermissions(filePermissionsFor(permissions));
    output.close();
    temporary.moveIntoPlace();
    result.count = selection.names.size();
    result.location = target;
    return result;
}

} // namespace tessely
