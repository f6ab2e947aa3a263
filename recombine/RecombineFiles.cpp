#include "RecombineFiles.h"

#include "ParseMultiSelection.h"
#include "platform/LineReader.h"
#include "platform/LineWriter.h"
#include "platform/Paths.h"
#include "platform/TemporaryFile.h"

#include <cstdio>
#include <vector>

namespace tessely
{
std::string recombinedFileName(const Date& date)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d_CONBINED_CONTACTS.vcf", date.month, date.day, date.year);
    return text;
}

JobResult RecombineFiles(FileSystem& fs, JobHost& host, const std::string& selection)
{
    JobResult result;
    std::vector<std::string> names;
    const std::string folder = ParseMultiSelection(selection, names);
    if (names.empty())
        return result;

    const std::string target = joinPath(folder, recombinedFileName(host.today()));
    // The lines go to a temporary file beside the target, moved into place only when every input has been
    // copied: an earlier output of the same day that is among the inputs is then read intact, and a job
    // that fails or is stopped midway leaves that earlier output as it was.
    TemporaryFile temporary(fs, target);
    LineWriter output(temporary.takeSink());

    {
        StatusGuard status(host);
        std::string_view line;
        for (std::size_t i = 0; i < names.size(); ++i) {
            host.setStatus(i + 1);
            if (!host.yield()) {
                result.stopped = true;
                return result;
            }
            if (i > 0)
                output.writeLine({});
            LineReader input(fs.openRead(joinPath(folder, names[i])));
            while (input.next(line))
                output.writeLine(line);
        }
    }
    output.close();
    temporary.moveIntoPlace();
    result.count = names.size();
    result.location = target;
    return result;
}

} // namespace tessely
