#include "SplitContacts.h"

#include "ContactFiles.h"
#include "TakenNames.h"
#include "platform/OutputFile.h"
#include "platform/Paths.h"
#include "platform/TemporaryFile.h"
#include "platform/Text.h"
#include "vcard/NameFromContact.h"

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
    text.append("contact");
    appendContactNumber(text, number);
    text.append(".vcf");
}

/// One job's writing of contacts into the output folder, each to a file of its own.
class ContactWriter final : public ContactFiles
{
public:
    ContactWriter(HeldFolder& folder, Permissions permissions, SplitNaming naming)
        : ContactFiles(naming == SplitNaming::FromContact)
        , m_folder(folder)
        , m_permissions(permissions)
    {
    }

    void start(std::uint64_t number) override
    {
        m_number = number;
        m_numbered.clear();
        appendNumberedName(m_numbered, number);
        m_image.clear();
        m_spill.reset();
        if (readsLines())
            m_namer.start();
    }

    // The contact is read only to be named: the name is found while the contact is read, from its own properties: a
    // card nested in it names nothing.
    void read(const ContactPiece& piece) override
    {
        if (piece.role == LineRole::Property)
            m_namer.feed(piece.text, piece.first, piece.last);
        else if (piece.first)
            m_namer.skipLine();
    }

    void add(std::string_view bytes, bool lineEnds) override
    {
        m_image.append(bytes);
        if (lineEnds)
            m_image.append("\r\n");
        if (m_image.size() >= contactHeldBytes)
            spill();
    }

    /// Writes the contact under its final name: the contact's own when it gives a file name that is free,
    /// its numbered name otherwise. Gives true when it took the contact's name.
    bool finish() override
    {
        if (m_spill) {
            spill();
            m_spill->setPermissions(m_permissions);
            m_spill->sink().close();
        }
        const std::string name = readsLines() ? m_namer.name() : std::string();
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
        // A name whose part before its first dot is a device name stays one whatever "-#N" is added at its
        // end ("aux.txt-#1.vcf" is still the device AUX on Windows): such a contact keeps its number.
        const std::string start = contactFileName(m_folder.path(), name);
        if (start.empty() || (name.find('.') != std::string::npos && isDeviceName(name)))
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
    NameFromContact m_namer;
    std::uint64_t m_number = 0;
    /// The contact's numbered file name.
    std::string m_numbered;
    std::string m_image;
    std::unique_ptr<TemporaryFile> m_spill;
    /// Read from the folder when the first contact is to be named from its fields.
    std::unique_ptr<TakenNames> m_taken;
};

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
    if (stem.size() > longestNameBytes)
        stem = stem.substr(0, utf8PrefixBytes(stem, longestNameBytes));
    std::string path = joinPath(location, stem);
    path.append(extension);
    return path;
}

JobResult SplitContacts(FileSystem& fs, JobHost& host, const std::string& source, SplitNaming naming)
{
    OutputBesideSource job = openOutputBesideSource(fs, source);
    ContactWriter writer(*job.folder, filePermissionsFor(job.permissions), naming);
    return splitEachContact(job, host, writer);
}

} // namespace tessely
