// The split engine on a real folder: every contact's bytes land in exactly one numbered file, as a plain
// model of the contact rules predicts, the count matches the files written, and the input stays as it was.
#include "FuzzSupport.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "split/SplitContacts.h"

using namespace tessely;
using namespace tessely::fuzz;

namespace
{

/// The files a split must write: a contact opens at a line reading "BEGIN:VCARD" once upper-cased and
/// trimmed, runs to the first line that is exactly "END:VCARD" (after a byte-order mark, if any), and is
/// closed by one at the end of input.
std::vector<std::string> expectedFiles(std::string_view text)
{
    std::vector<std::string> files;
    std::string current;
    bool inside = false;
    for (const std::string& line : referenceLines(text)) {
        if (!inside) {
            inside = isOpeningLine(line);
            current = "BEGIN:VCARD\r\n";
            continue;
        }
        if (isClosingLine(line)) {
            files.push_back(current + "END:VCARD\r\n");
            inside = false;
            continue;
        }
        current += line + "\r\n";
    }
    if (inside)
        files.push_back(current + "END:VCARD\r\n");
    return files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 16384)
        return 0; // a larger input finds nothing new and only writes more files
    static const ScratchFolder folder;
    folder.clear();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string source = folder.write("input.vcf", text);

    QuietHost host;
    const JobResult result = SplitContacts(localFileSystem(), host, source);
    const std::vector<std::string> files = expectedFiles(text);
    FUZZ_CHECK(result.location == joinPath(folder.path(), "Split-vCards"));
    FUZZ_CHECK(!result.stopped);
    FUZZ_CHECK(result.count == files.size());
    FUZZ_CHECK(folderNames(result.location).size() == files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        FUZZ_CHECK(readWhole(numberedFileName(result.location, i + 1)) == files[i]);
    FUZZ_CHECK(readWhole(source) == text);
    return 0;
}
