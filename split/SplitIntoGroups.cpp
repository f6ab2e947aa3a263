#include "SplitIntoGroups.h"

#include "ContactFiles.h"
#include "platform/TemporaryFile.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

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

/// The group files of one job, written on a thread of their own: the job hands over blocks of a group's
/// bytes and goes on reading the next contacts while a block is written, so that on two processors reading
/// and writing overlap instead of adding up. Every file operation of the groups (making the temporary file,
/// writing, closing, naming) happens on that thread, in the order handed over. The first failure is kept,
/// nothing after it is written, and it is raised to the job at its next hand-over. When the writer goes
/// away, the groups closed before are still completed; a group still open is removed.
class GroupFiles
{
public:
    GroupFiles(HeldFolder& folder, Permissions permissions)
        : m_folder(folder)
        , m_permissions(permissions)
    {
        for (auto& buffer : m_buffers) {
            buffer.reset(new char[bufferSize]);
            m_free.push_back(buffer.get());
        }
        m_current = takeBuffer();
        m_thread = std::thread([this] { run(); });
    }

    ~GroupFiles()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ending = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    GroupFiles(const GroupFiles&) = delete;
    GroupFiles& operator=(const GroupFiles&) = delete;

    /// Starts the file of the group whose first contact is `first`; until its last contact is known it goes
    /// by the name of a group ending at `plannedLast`, which errors name.
    void open(std::uint64_t first, std::uint64_t plannedLast)
    {
        hand({ Command::Open, first, plannedLast, nullptr, 0 });
    }

    /// Adds bytes to the open file, then CR LF when `lineEnds`.
    void write(std::string_view bytes, bool lineEnds)
    {
        while (!bytes.empty()) {
            const std::size_t part = std::min(bytes.size(), bufferSize - m_used);
            std::memcpy(m_current + m_used, bytes.data(), part);
            m_used += part;
            bytes.remove_prefix(part);
            if (m_used == bufferSize)
                handBuffer();
        }
        if (lineEnds)
            write("\r\n", false);
    }

    /// Closes the open file and names it for its first and last contact.
    void close(std::uint64_t last)
    {
        handBuffer();
        hand({ Command::Close, 0, last, nullptr, 0 });
    }

    /// Waits until every file closed so far is complete; raises the first failure.
    void finish()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_commands.empty() && !m_busy; });
        raise();
    }

private:
    static constexpr std::size_t bufferSize = std::size_t { 1 } << 18;

    struct Command {
        enum Kind { Open, Write, Close } kind;
        std::uint64_t first;
        std::uint64_t last;
        char* buffer;
        std::size_t size;
    };

    void raise()
    {
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

    void hand(Command command)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            raise();
            m_commands.push_back(command);
        }
        m_changed.notify_all();
    }

    /// Hands the bytes gathered so far over and starts another buffer.
    void handBuffer()
    {
        if (m_used == 0)
            return;
        hand({ Command::Write, 0, 0, m_current, m_used });
        m_used = 0;
        m_current = takeBuffer();
    }

    char* takeBuffer()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_free.empty() || m_failure; });
        raise();
        char* buffer = m_free.back();
        m_free.pop_back();
        return buffer;
    }

    void run()
    {
        // The group being written, and its first contact.
        std::optional<TemporaryFile> file;
        std::uint64_t first = 0;
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return !m_commands.empty() || m_ending; });
            if (m_commands.empty())
                break;
            const Command command = m_commands.front();
            m_commands.pop_front();
            m_busy = true;
            const bool failed = m_failure != nullptr;
            lock.unlock();
            std::exception_ptr failure;
            try {
                if (failed)
                    file.reset();
                else if (command.kind == Command::Open) {
                    first = command.first;
                    file.emplace(m_folder, groupFileName(first, command.last));
                } else if (command.kind == Command::Write) {
                    file->sink().write(command.buffer, command.size);
                } else {
                    file->setPermissions(m_permissions);
                    file->sink().close();
                    file->moveIntoPlace(groupFileName(first, command.last));
                    file.reset();
                }
            } catch (...) {
                failure = std::current_exception();
                file.reset();
            }
            lock.lock();
            if (command.buffer != nullptr)
                m_free.push_back(command.buffer);
            if (failure && !m_failure)
                m_failure = failure;
            m_busy = false;
            m_changed.notify_all();
        }
        // A group still open when the job ends without it is removed, on this thread like its other calls.
        lock.unlock();
        file.reset();
    }

    HeldFolder& m_folder;
    const Permissions m_permissions;
    /// Each left uninitialised: only what is written into it is read.
    std::array<std::unique_ptr<char[]>, 3> m_buffers;
    /// The buffer the job fills, and how much of it.
    char* m_current = nullptr;
    std::size_t m_used = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Command> m_commands;
    std::vector<char*> m_free;
    std::exception_ptr m_failure;
    bool m_busy = false;
    bool m_ending = false;
    std::thread m_thread;
};

/// One job's writing of contacts into group files, each streamed into a temporary file that takes its name
/// when its last contact is known.
class GroupWriter final : public ContactFiles
{
public:
    GroupWriter(HeldFolder& folder, Permissions permissions, const ContactGroups& groups)
        : ContactFiles(false)
        , m_groupFiles(folder, permissions)
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
            m_groupFiles.write(bytes, lineEnds);
            return;
        }
        m_held.append(bytes);
        if (lineEnds)
            m_held.append("\r\n");
        if (m_group->bytes + m_contactBytes > m_groups.largestBytes || m_held.size() > contactHeldBytes) {
            closeGroup();
            openGroup();
            m_groupFiles.write(m_held, false);
            m_held.clear();
            m_holding = false;
        }
    }

    bool finish() override
    {
        if (m_holding) {
            m_groupFiles.write(m_held, false);
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

    /// Closes the last group, which holds the rest of the contacts, unless the job `whole` was stopped, and
    /// waits until every group closed is written.
    void complete(bool whole)
    {
        if (whole && m_group && m_group->last != 0)
            closeGroup();
        m_groupFiles.finish();
    }

    std::uint64_t files() const
    {
        return m_fileCount;
    }
    std::uint64_t overSize() const
    {
        return m_overSize;
    }

private:
    /// What the job knows of the group being written.
    struct Group {
        std::uint64_t first;
        /// 0 until a contact is whole in it.
        std::uint64_t last = 0;
        std::uint64_t bytes = 0;
    };

    void openGroup()
    {
        // Until its last contact is known the file goes by the name of a full group, which errors name.
        const std::uint64_t planned = m_groups.perFile != 0 ? m_number + m_groups.perFile - 1 : m_number;
        m_groupFiles.open(m_number, planned);
        m_group = Group { m_number };
    }

    void closeGroup()
    {
        m_groupFiles.close(m_group->last);
        m_group.reset();
        ++m_fileCount;
    }

    GroupFiles m_groupFiles;
    const ContactGroups m_groups;
    std::optional<Group> m_group;
    std::uint64_t m_number = 0;
    std::uint64_t m_contactBytes = 0;
    bool m_holding = false;
    std::string m_held;
    std::uint64_t m_fileCount = 0;
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
    writer.complete(!result.stopped);
    result.files = writer.files();
    result.overSize = writer.overSize();
    return result;
}

} // namespace tessely
