#include "SplitIntoGroups.h"

#include "ContactFiles.h"
#include "platform/TemporaryFile.h"

#include <cstring>
#include <memory>
#include <optional>

namespace tessely
{
namespace
{

/// A contact is held while it may still fit the group before it, up to this size: a larger one starts a
/// file of its own, so a size limit of gigabytes never holds a gigabyte.
constexpr std::uint64_t contactHeldBytes = std::uint64_t { 16 } << 20;

/// The name of the group of contacts `first` to `last`: "contacts0001-0250.vcf".
std::string groupFileName(std::uint64_t first, std::uint64_t last)
{
    std::string name = "contacts";
    appendContactNumber(name, first);
    name.push_back('-');
    appendContactNumber(name, last);
    name.append(".vcf");
    return name;
}

/// One job's writing of contacts into group files, each streamed into a temporary file that takes its name
/// when its last contact is known.
class GroupWriter final : public ContactFiles
{
public:
    GroupWriter(HeldFolder& folder, Permissions permissions, const ContactGroups& groups)
        : ContactFiles(false)
        , m_folder(folder)
        , m_permissions(permissions)
        , m_groups(groups)
    {
    }

    void start(std::uint64_t number) override
    {
        m_number = number;
        m_contactBytes = 0;
        // A contact that may not fit the group's size is held until that is known; the first contact of a
        // group always goes in.
        m_holding = m_group && m_groups.largestBytes != 0;
        if (!m_group)
            openGroup();
    }

    void add(std::string_view bytes, bool lineEnds) override
    {
        m_contactBytes += bytes.size() + (lineEnds ? 2 : 0);
        if (!m_holding) {
            m_group->write(bytes, lineEnds);
            return;
        }
        m_held.append(bytes);
        if (lineEnds)
            m_held.append("\r\n");
        if (m_group->bytes + m_contactBytes > m_groups.largestBytes || m_held.size() > contactHeldBytes) {
            closeGroup();
            openGroup();
            m_group->write(m_held, false);
            m_held.clear();
            m_holding = false;
        }
    }

    bool finish() override
    {
        if (m_holding) {
            m_group->write(m_held, false);
            m_held.clear();
            m_holding = false;
        }
        m_group->bytes += m_contactBytes;
        m_group->last = m_number;
        const bool overSize = m_groups.largestBytes != 0 && m_contactBytes > m_groups.largestBytes;
        if (overSize)
            ++m_overSize;
        if (overSize || (m_groups.perFile != 0 && m_group->last - m_group->first + 1 >= m_groups.perFile)) {
            closeGroup();
            return true;
        }
        return false;
    }

    /// Closes the last group, which holds the rest of the contacts.
    void complete()
    {
        if (m_group && m_group->last != 0)
            closeGroup();
    }

    std::uint64_t files() const
    {
        return m_files;
    }
    std::uint64_t overSize() const
    {
        return m_overSize;
    }

private:
    /// One group file while it is written: its contacts' bytes go through a buffer written a block at a
    /// time, which keeps the many short lines of a group from costing a call each.
    struct Group {
        Group(HeldFolder& folder, std::uint64_t first, std::uint64_t plannedLast, char* buffer)
            : first(first)
            , file(folder, groupFileName(first, plannedLast))
            , buffer(buffer)
        {
        }

        void write(std::string_view bytes, bool lineEnds)
        {
            const std::size_t size = bytes.size() + (lineEnds ? 2 : 0);
            if (used + size > bufferSize) {
                flush();
                if (size > bufferSize) {
                    file.sink().write(bytes.data(), bytes.size());
                    if (lineEnds)
                        file.sink().write("\r\n", 2);
                    return;
                }
            }
            std::memcpy(buffer + used, bytes.data(), bytes.size());
            used += bytes.size();
            if (lineEnds) {
                buffer[used++] = '\r';
                buffer[used++] = '\n';
            }
        }

        void flush()
        {
            file.sink().write(buffer, used);
            used = 0;
        }

        static constexpr std::size_t bufferSize = std::size_t { 1 } << 18;
        std::uint64_t first;
        /// 0 until a contact is whole in it.
        std::uint64_t last = 0;
        std::uint64_t bytes = 0;
        TemporaryFile file;
        /// The writer's one buffer, left uninitialised: only what is written into it is read.
        char* buffer;
        std::size_t used = 0;
    };

    void openGroup()
    {
        // Until its last contact is known the file goes by the name of a full group, which errors name.
        const std::uint64_t planned = m_groups.perFile != 0 ? m_number + m_groups.perFile - 1 : m_number;
        m_group.emplace(m_folder, m_number, planned, m_buffer.get());
    }

    void closeGroup()
    {
        m_group->flush();
        m_group->file.setPermissions(m_permissions);
        m_group->file.sink().close();
        m_group->file.moveIntoPlace(groupFileName(m_group->first, m_group->last));
        m_group.reset();
        ++m_files;
    }

    HeldFolder& m_folder;
    const Permissions m_permissions;
    const ContactGroups m_groups;
    std::unique_ptr<char[]> m_buffer { new char[Group::bufferSize] };
    std::optional<Group> m_group;
    std::uint64_t m_number = 0;
    std::uint64_t m_contactBytes = 0;
    bool m_holding = false;
    std::string m_held;
    std::uint64_t m_files = 0;
    std::uint64_t m_overSize = 0;
};

} // namespace

GroupsResult SplitIntoGroups(FileSystem& fs, JobHost& host, const std::string& source, const ContactGroups& groups)
{
    OutputBesideSource job = openOutputBesideSource(fs, source);
    GroupWriter writer(*job.folder, filePermissionsFor(job.permissions), groups);
    GroupsResult result;
    static_cast<JobResult&>(result) = splitEachContact(job, host, writer);
    // A group that a stop cuts short is removed with its temporary file; the groups before it stay.
    if (!result.stopped)
        writer.complete();
    result.files = writer.files();
    result.overSize = writer.overSize();
    return result;
}

} // namespace tessely
