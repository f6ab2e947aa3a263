#ifndef TESSELY_PLATFORM_UNFINISHEDFILES_H
#define TESSELY_PLATFORM_UNFINISHEDFILES_H

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string_view>

namespace tessely
{

/// The files that jobs have begun and not completed, each by its folder (a descriptor or a handle) and its
/// name, for a program that must end at once and removes them first: a signal handler, or on Windows the
/// console's handler thread, reads the table without taking a lock or memory. A job has one or two such
/// files at a time; when the table is full a file is simply not listed, and its job or the next one in its
/// folder removes it.
template <typename Folder, typename Char, std::size_t longestName> class UnfinishedFiles
{
public:
    /// Lists `name` in `folder`. A temporary stays listed until it is moved or deleted, also once it is
    /// closed. Gives the entry to take off when the file is complete, -1 when it could not be listed.
    int list(Folder folder, std::basic_string_view<Char> name, bool temporary)
    {
        if (name.size() > longestName)
            return -1;
        for (std::size_t i = 0; i < slotCount; ++i) {
            Slot& slot = m_slots[i];
            int expected = free;
            if (!slot.state.compare_exchange_strong(expected, filling))
                continue;
            slot.temporary = temporary;
            slot.folder = folder;
            std::copy(name.begin(), name.end(), slot.name);
            slot.name[name.size()] = Char();
            slot.state.store(listed);
            return static_cast<int>(i);
        }
        return -1;
    }

    /// Takes the entry `list` gave off the table; -1 is ignored.
    void unlist(int entry)
    {
        if (entry >= 0)
            m_slots[entry].state.store(free);
    }

    /// Takes the temporary `name` in `folder` off the table: it was moved into place or deleted.
    void unlistTemporary(Folder folder, std::basic_string_view<Char> name)
    {
        for (Slot& slot : m_slots) {
            if (slot.state.load() == listed && slot.temporary && slot.folder == folder && name == slot.name)
                slot.state.store(free);
        }
    }

    /// Takes every file of `folder` off the table: the folder is let go.
    void unlistFolder(Folder folder)
    {
        for (Slot& slot : m_slots) {
            if (slot.state.load() == listed && slot.folder == folder)
                slot.state.store(free);
        }
    }

    /// Calls `remove(folder, name)` for each file listed; as safe in a signal handler as `remove` is.
    template <typename Remove> void forEach(const Remove& remove) const noexcept
    {
        for (const Slot& slot : m_slots) {
            if (slot.state.load() == listed)
                remove(slot.folder, slot.name);
        }
    }

private:
    static constexpr int free = 0;
    static constexpr int filling = 1;
    static constexpr int listed = 2;
    static constexpr std::size_t slotCount = 16;

    struct Slot {
        std::atomic<int> state { free };
        bool temporary = false;
        Folder folder {};
        Char name[longestName + 1] = {};
    };
    Slot m_slots[slotCount];
};

} // namespace tessely

#endif
