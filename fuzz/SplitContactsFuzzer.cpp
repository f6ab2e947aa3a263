// The split engine on a real folder: every contact's bytes land in exactly one numbered file, as the plain
// reference of the contact rules predicts, the count matches the files written, and the input stays as it
// was.
#include "FuzzSupport.h"
#include "platform/Paths.h"
#include "split/SplitContacts.h"
#include "tests/support/PlainContacts.h"

using namespace tessely;
using namespace tessely::fuzz;

namespace
{

/// The files a split must write: each contact's lines after "BEGIN:VCARD" as read, its closing line as
/// "END:VCARD", and as many of those as cards are left open when the file leaves it open.
std::vector<std::string> expectedFiles(std::string_view text)
{
    std::vector<std::string> files;
    for (const auto& contact : test::plainContacts(referenceLines(text))) {
        std::string file = "BEGIN:VCARD\r\n";
        for (const test::PlainLine& line : contact) {
            if (line.role != LineRole::Closing)
                file += line.text + "\r\n";
            for (std::uint64_t card = 0;
                 line.role == LineRole::Closing && card < std::max<std::uint64_t>(line.openCards, 1);
                 ++card)
                file += "END:VCARD\r\n";
        }
        files.push_back(file);
    }
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
