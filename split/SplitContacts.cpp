#include "SplitContacts.h"

#include "ContactNamer.h"
#include "CountContacts.h"
#include "PrepareOutputFolder.h"
#include "TakenNames.h"
#include "platform/LineReader.h"
#include "platform/OutputFile.h"
#include "platform/Paths.h"
#include "platform/TemporaryFile.h"
#include "platform/Text.h"

#include <charconv>
#include <memory>

namespace tessely
{
namespace
{

// A file name on Linux holds at most 255 bytes: the ".vcf" and room for a "-#N" suffix of up to ten
// digits leave 239 bytes for the contact's name.
constexpr std::size_t longestNameBytes = 255 - 4 - 12;

/// A contact larger than this is written to a temporary file as it is read instead of being held.
constexpr std::size_t contactHeldBytes = std::size_t { 4 } << 20;

/// Appends the numbered file name of contact `number`: "contact" and the number in at least four digits.
void appendNumberedName(std::string& text, std::uint64_t number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    text.append("contact");
    if (length < 4)
        text.append(4 - length, '0');
    text.append(digits, length);
    text.append(".vcf");
}

/// One job's writing of contacts into the output folder.
class ContactWriter
{
public:
    ContactWriter(HeldFolder& folder, Permissions permissions)
        : m_folder(folder)
        , m_permissions(permissions)
    {
    }

    /// Starts contact `number`.
    void start(std::uint64_t number)
    {
        m_number = number;
        m_numbered.clear();
        appendNumberedName(m_numbered, number);
        m_image.assign("BEGIN:VCARD\r\n");
        m_spill.reset();
    }

    /// True when adding `more` bytes sends what is held to a temporary file.
    bool willSpill(std::size_t more) const
    {
        return m_image.size() + more >= contactHeldBytes;
    }
    /// The bytes of the contact's file held so far.
    std::string_view held() const
    {
        return m_image;
    }

    /// Adds bytes of the contact's file.
    void add(std::string_view bytes)
    {
        m_image.append(bytes);
        if (m_image.size() >= contactHeldBytes)
            spill();
    }

    /// Writes the contact under its final name: `name` when it gives a file name that is free, its numbered
    /// name otherwise. Gives true when it took the contact's name.
    bool finish(const std::string& name)
    {
        if (m_spill) {
            spill();
            m_spill->setPermissions(m_permissions);
            m_spill->sink().close();
        }
        const bool named = !name.empty() && writeNamed(name);
        if (!named)
            writeNumbered();
        return named;
    }

private:
    /// Moves what is held to the temporary file, which it makes first.
    void spill()
    {
        if (!m_spill)
            m_spill = std::make_unique<TemporaryFile>(m_folder, m_numbered);
        m_spill->sink().write(m_image.data(), m_image.size());
        m_image.clear();
    }

    TakenNames& taken()
    {
        if (!m_taken)
            m_taken = std::make_unique<TakenNames>(m_folder);
        return *m_taken;
    }

    bool writeNamed(const std::string& name)
    {
        const std::string start = contactFileName(m_folder.path(), name);
        if (start.empty())
            return false;
        for (;;) {
            const std::string free = taken().findFree(GetFileName(start), m_number);
            NewName answer;
            if (m_spill) {
                answer = m_spill->moveToNewName(free);
            } else {
                std::unique_ptr<ByteSink> sink;
                answer = m_folder.createNewFile(free, m_permissions, sink);
                if (answer == NewName::Done) {
                    OutputFile file(m_folder, free, std::move(sink));
                    file.write(m_image);
                    file.complete();
                }
            }
            // A name the file system will not store keeps the contact under its number.
            if (answer == NewName::Refused)
                return false;
            // A name taken since the folder was read counts as taken from now on, like the one written.
            taken().add(free);
            if (answer == NewName::Done)
                return true;
        }
    }

    void writeNumbered()
    {
        if (m_spill) {
            m_spill->moveIntoPlace();
        } else {
            OutputFile file(m_folder, m_numbered, m_folder.createFile(m_numbered, m_permissions));
            file.write(m_image);
            file.complete();
        }
        if (m_taken)
            m_taken->add(m_numbered);
    }

    HeldFolder& m_folder;
    const Permissions m_permissions;
    std::uint64_t m_number = 0;
    /// The contact's numbered file name.
    std::string m_numbered;
    std::string m_image;
    std::unique_ptr<TemporaryFile> m_spill;
    /// Read from the folder when the first contact is to be named from its fields.
    std::unique_ptr<TakenNames> m_taken;
};

/// Hands the namer the lines of a contact's file held so far, the opening line left out; a line whose end
/// is not there yet is handed as a first piece.
void feedHeld(ContactNamer& namer, std::string_view held)
{
    held.remove_prefix(std::string_view("BEGIN:VCARD\r\n").size());
    while (!held.empty()) {
        const auto end = held.find("\r\n");
        namer.feed(held.substr(0, end), true, end != std::string_view::npos);
        if (end == std::string_view::npos)
            return;
        held.remove_prefix(end + 2);
    }
}

} // namespace

std::string numberedFileName(const std::string& folder, std::uint64_t number)
{
    std::string path;
    path.reserve(folder.size() + 32);
    path.append(folder);
    path.push_back(pathSeparator);
    appendNumberedName(path, number);
    return path;
}

std::string contactFileName(const std::string& location, const std::string& name)
{
    if (name.empty())
        return {};
    constexpr std::string_view extension = ".vcf";
    std::string_view stem = name;
    // The folder is the same for every contact of a job: its length in characters is counted once.
    thread_local std::string countedLocation;
    thread_local std::size_t locationLength = 0;
    if (location != countedLocation) {
        countedLocation = location;
        locationLength = characterCount(location);
    }
    // A name has no more characters than bytes, so a short one needs no counting.
    if (locationLength + 1 + stem.size() + extension.size() > 255
        && locationLength + 1 + characterCount(stem) + extension.size() > 255) {
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

JobResult SplitContacts(FileSystem& fs, JobHost& host, const std::string& source, SplitNaming naming)
{
    JobResult result;
    auto input = fs.openRead(source);
    const Permissions inputPermissions = input->permissions();
    result.location = PrepareOutputFolder(fs, source, inputPermissions, input->identity().group);
    const auto folder = fs.lockFolder(result.location);
    folder->madeFrom(input->identity());
    folder->protect(input->identity(), source);
    LineReader reader(std::move(input));
    StatusGuard status(host);
    ContactWriter writer(*folder, filePermissionsFor(inputPermissions));
    ContactNamer namer;
    std::uint64_t number = 1;
    LinePiece piece;
    while (!reader.atEnd()) {
        host.setStatus(number);
        if (!host.yield()) {
            result.stopped = true;
            break;
        }
        if (!readOutsideContact(reader, result.skippedLines))
            continue;

        // The contact runs to the first line that is exactly "END:VCARD"; a source that ends before one
        // still gives the contact, closed as if that line had been there.
        writer.start(number);
        namer.start();
        // The namer reads the contact from what is held when the contact is complete; only a contact too
        // large to be held is named while it is read.
        bool following = false;
        const auto add = [&](std::string_view bytes, bool first, bool last) {
            if (!following && writer.willSpill(bytes.size() + 2)) {
                feedHeld(namer, writer.held());
                following = true;
            }
            if (following)
                namer.feed(bytes, first, last);
            writer.add(bytes);
            if (last)
                writer.add("\r\n");
        };
        bool closed = false;
        while (!closed && reader.next(piece)) {
            closed = piece.first && piece.last && isClosingLine(piece.text);
            add(closed ? std::string_view("END:VCARD") : piece.text, piece.first, piece.last);
            if (!piece.last && host.stopRequested())
                break;
        }
        if (host.stopRequested()) {
            result.stopped = true;
            break;
        }
        if (!closed)
            add("END:VCARD", true, true);

        // The contact is named once it is complete.
        std::string name;
        if (naming == SplitNaming::FromContact) {
            if (!following)
                feedHeld(namer, writer.held());
            name = namer.name();
        }
        const bool named = writer.finish(name);
        ++number;
        if (named && !host.yield()) {
            result.stopped = true;
            break;
        }
    }
    result.count = number - 1;
    return result;
}

} // namespace tessely
