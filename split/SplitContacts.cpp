#include "SplitContacts.h"

#include "ContactLines.h"
#include "NameFromContact.h"
#include "NextFreeFileName.h"
#include "PrepareOutputFolder.h"
#include "platform/LineReader.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <charconv>
#include <unordered_map>
#include <vector>

namespace tessely
{
namespace
{

// A file name on Linux holds at most 255 bytes: the ".vcf" and room for a "-#N" suffix of up to ten
// digits leave 239 bytes for the contact's name.
constexpr std::size_t longestNameBytes = 255 - 4 - 12;

/// Finds the free contact-based names of one job. It gives the same names as following the chain of
/// `NextFreeFileName` variants from the start one by one, but remembers how far each chain is known to be
/// taken, so the thousandth contact of one name does not test the 999 variants before it again.
///
/// Remembering is safe because a variant (a name that `NextFreeFileName` gave, always with "-#" in its base
/// name) is never a numbered name, and the job only ever frees numbered names: it moves the current
/// contact's numbered file away. A variant found taken therefore stays taken until the job ends. The
/// first name of a chain, which may be a numbered name, is tested afresh every time.
class FreeNameFinder
{
public:
    FreeNameFinder(FileSystem& fs, const std::string& location)
        : m_fs(fs)
        , m_location(location)
    {
    }

    /// The first name of the chain that starts at `start` and is free for contact `number`.
    std::string find(const std::string& start, std::uint64_t number)
    {
        m_visited.clear();
        m_variant = false;
        if (!isTaken(start, number))
            return start;
        m_variant = true;
        std::string candidate = NextFreeFileName(start);
        for (;;) {
            const auto known = m_takenUpTo.find(candidate);
            if (known != m_takenUpTo.end()) {
                m_visited.push_back(std::move(candidate));
                candidate = NextFreeFileName(known->second);
            } else if (m_fs.pathExists(candidate)) {
                m_visited.push_back(candidate);
                candidate = NextFreeFileName(candidate);
            } else {
                break;
            }
        }
        return candidate;
    }

    /// Records that `target`, found by `find`, now holds a contact; every variant passed on the way to it
    /// leads straight to it from now on.
    void taken(const std::string& target)
    {
        // Only variants are remembered: a contact that got its own name costs no memory.
        if (!m_variant)
            return;
        for (std::string& passed : m_visited)
            m_takenUpTo.insert_or_assign(std::move(passed), target);
        m_visited.clear();
        m_takenUpTo.insert_or_assign(target, target);
    }

private:
    /// Anything at the path (a folder too, so a contact never replaces one) makes a name taken, and so does
    /// the numbered name of a later contact: that contact's numbered file would overwrite it.
    bool isTaken(const std::string& path, std::uint64_t number)
    {
        return m_fs.pathExists(path) || isLaterNumberedFile(m_location, path, number);
    }

    FileSystem& m_fs;
    const std::string m_location;
    /// Variant -> a variant further along its chain; every variant from the key up to the value is taken.
    std::unordered_map<std::string, std::string> m_takenUpTo;
    /// The variants that the last `find` passed, and whether it gave a variant.
    std::vector<std::string> m_visited;
    bool m_variant = false;
};

/// Moves a contact's numbered file to a name taken from the contact. False when the contact gives no name
/// (or the folder leaves no room for one) and keeps its numbered file.
bool renameToContactName(FileSystem& fs,
    FreeNameFinder& names,
    const std::string& location,
    const ContactLines& contact,
    const std::string& numbered,
    std::uint64_t number)
{
    const std::string start = contactFileName(location, NameFromContact(contact));
    if (start.empty())
        return false;
    const std::string target = names.find(start, number);
    fs.moveFile(numbered, target);
    names.taken(target);
    return true;
}

} // namespace

std::string numberedFileName(const std::string& folder, std::uint64_t number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    std::string path;
    path.reserve(folder.size() + 20 + length);
    path.append(folder);
    path.append("/contact");
    if (length < 4)
        path.append(4 - length, '0');
    path.append(digits, length);
    path.append(".vcf");
    return path;
}

bool isLaterNumberedFile(const std::string& location, std::string_view path, std::uint64_t number)
{
    constexpr std::string_view stem = "/contact";
    constexpr std::string_view extension = ".vcf";
    if (path.size() < location.size() + stem.size() + extension.size() || path.substr(0, location.size()) != location)
        return false;
    std::string_view name = path.substr(location.size());
    if (name.substr(0, stem.size()) != stem || name.substr(name.size() - extension.size()) != extension)
        return false;
    const std::string_view digits = name.substr(stem.size(), name.size() - stem.size() - extension.size());
    // The numbered format: at least four digits, and no leading zero beyond those four.
    if (digits.size() < 4 || (digits.size() > 4 && digits.front() == '0'))
        return false;
    std::uint64_t later = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), later);
    return error == std::errc() && stop == digits.data() + digits.size() && later > number;
}

std::string contactFileName(const std::string& location, const std::string& name)
{
    if (name.empty())
        return {};
    constexpr std::string_view extension = ".vcf";
    std::string_view stem = name;
    const std::size_t locationLength = characterCount(location);
    if (locationLength + 1 + characterCount(stem) + extension.size() > 255) {
        // Cut the name so that the whole path is 255 characters.
        if (locationLength >= 250)
            return {};
        stem = stem.substr(0, characterPrefixBytes(stem, 250 - locationLength));
    }
    if (stem.size() > longestNameBytes) {
        std::size_t bytes = 0;
        for (;;) {
            const std::size_t next = bytes + characterPrefixBytes(stem.substr(bytes), 1);
            if (next > longestNameBytes)
                break;
            bytes = next;
        }
        stem = stem.substr(0, bytes);
    }
    std::string path = joinPath(location, stem);
    path.append(extension);
    return path;
}

JobResult SplitContacts(FileSystem& fs, JobHost& host, const std::string& source)
{
    JobResult result;
    result.location = PrepareOutputFolder(fs, source);
    LineReader reader(fs.openRead(source));
    StatusGuard status(host);
    ContactLines contact;
    FreeNameFinder names(fs, result.location);
    std::uint64_t number = 1;
    std::string_view line;
    while (!reader.atEnd()) {
        host.setStatus(number);
        if (!host.yield()) {
            result.stopped = true;
            break;
        }
        reader.next(line);
        if (!isOpeningLine(line))
            continue;

        // The contact runs to the first line that is exactly "END:VCARD"; a source that ends before one
        // still gives the contact, closed as if that line had been there.
        contact.clear();
        bool closed = false;
        while (!closed && reader.next(line)) {
            contact.append(line);
            closed = line == "END:VCARD";
        }
        if (!closed)
            contact.append("END:VCARD");

        const std::string numbered = numberedFileName(result.location, number);
        const auto image = contact.fileImage();
        auto sink = fs.openWrite(numbered);
        sink->write(image.data(), image.size());
        sink->close();

        if (host.nameFromContact() && renameToContactName(fs, names, result.location, contact, numbered, number)) {
            if (!host.yield()) {
                result.stopped = true;
                ++number;
                break;
            }
        }
        ++number;
    }
    result.count = number - 1;
    return result;
}

} // namespace tessely
