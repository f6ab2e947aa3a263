// The split engine on a real folder: every contact's bytes land in exactly one numbered file, as the plain
// reference of the contact rules predicts, the count matches the files written, and the input stays as it
// was. The split into groups of the same input lays those files end to end, in groups as large as the
// count and the size let them be.
#include "FuzzSupport.h"
#include "platform/Paths.h"
#include "split/SplitContacts.h"
#include "split/SplitIntoGroups.h"
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

/// A contact's number as file names show it, in at least four digits.
std::string padded(std::size_t number)
{
    std::string digits = std::to_string(number);
    return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

/// The group files, by name, that a split into groups must write for the contacts' `files`: a group closes
/// when it holds `perFile` contacts, before a contact that would take it past `largest` bytes, and after a
/// contact larger than that.
std::vector<std::pair<std::string, std::string>> expectedGroups(
    const std::vector<std::string>& files, const ContactGroups& groups)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::size_t first = 0;
    std::string bytes;
    const auto close = [&](std::size_t last) {
        out.emplace_back("contacts" + padded(first) + "-" + padded(last) + ".vcf", bytes);
        first = 0;
        bytes.clear();
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::size_t number = i + 1;
        if (first != 0 && groups.largestBytes != 0 && bytes.size() + files[i].size() > groups.largestBytes)
            close(number - 1);
        if (first == 0)
            first = number;
        bytes += files[i];
        if ((groups.largestBytes != 0 && files[i].size() > groups.largestBytes)
            || (groups.perFile != 0 && number - first + 1 == groups.perFile))
            close(number);
    }
    if (first != 0)
        close(files.size());
    return out;
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

    // The input's length picks the grouping, so every input is grouped one way and the corpus many ways.
    const ContactGroups groups { size % 3 == 2 ? 0 : size % 4 + 1, size % 3 == 0 ? 0u : 1024u };
    const GroupsResult grouped = SplitIntoGroups(localFileSystem(), host, source, groups);
    const auto expected = expectedGroups(files, groups);
    FUZZ_CHECK(grouped.count == files.size());
    FUZZ_CHECK(grouped.files == expected.size());
    std::vector<std::string> names;
    for (const std::string& name : folderNames(result.location))
        if (name.rfind("contacts", 0) == 0)
            names.push_back(name);
    FUZZ_CHECK(names.size() == expected.size());
    for (const auto& [name, bytes] : expected)
        FUZZ_CHECK(readWhole(joinPath(result.location, name)) == bytes);
    return 0;
}
