#include "TakenNames.h"

#include "NextFreeFileName.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <charconv>

namespace tessely
{
namespace
{

std::uint64_t hashOf(std::string_view text)
{
    // FNV-1a, then a final mix so that the low bits, which pick the slot, depend on every byte.
    std::uint64_t hash = 1469598103934665603ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    hash ^= hash >> 29;
    hash *= 0xBF58476D1CE4E5B9ULL;
    hash ^= hash >> 32;
    return hash;
}

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool isNumberedFromOn(std::string_view fileName, std::uint64_t number)
{
    constexpr std::string_view stem = "CONTACT";
    constexpr std::string_view extension = ".VCF";
    if (fileName.size() < stem.size() + 4 + extension.size())
        return false;
    for (std::size_t i = 0; i < stem.size(); ++i) {
        if (asciiUpper(fileName[i]) != stem[i])
            return false;
    }
    for (std::size_t i = 0; i < extension.size(); ++i) {
        if (asciiUpper(fileName[fileName.size() - extension.size() + i]) != extension[i])
            return false;
    }
    const std::string_view digits = fileName.substr(stem.size(), fileName.size() - stem.size() - extension.size());
    // The numbered format: at least four digits, and no leading zero beyond those four.
    if (digits.size() > 4 && digits.front() == '0')
        return false;
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && stop == digits.data() + digits.size() && value >= number;
}

/// A name the folder holds: where its upper-cased text is kept, and how many variants after it are taken.
struct TakenNames::Entry {
    std::uint32_t block;
    std::uint32_t offset;
    std::uint32_t length;
    std::uint32_t hash;
    /// Steps along the chain of variants from this name to a name known to be taken; 0 when none is known.
    std::uint64_t taken;
};

/// The upper-cased names, kept back to back in large blocks, found through an open-addressing table. Made by
/// hand for memory: at 1,000,000 names a split took 57 MB with it and 121 MB with std::unordered_map.
class TakenNames::Table
{
public:
    static constexpr std::uint32_t none = ~0u;

    std::uint32_t find(std::string_view upper) const
    {
        if (m_slots.empty())
            return none;
        const std::uint64_t hash = hashOf(upper);
        for (std::size_t slot = hash & (m_slots.size() - 1);; slot = (slot + 1) & (m_slots.size() - 1)) {
            const std::uint32_t index = m_slots[slot];
            if (index == 0)
                return none;
            const Entry& entry = m_entries[index - 1];
            if (entry.hash == static_cast<std::uint32_t>(hash) && text(entry) == upper)
                return index - 1;
        }
    }

    std::uint32_t insert(std::string_view upper)
    {
        const std::uint32_t existing = find(upper);
        if (existing != none)
            return existing;
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            grow();
        Entry entry {};
        entry.length = static_cast<std::uint32_t>(upper.size());
        entry.hash = static_cast<std::uint32_t>(hashOf(upper));
        if (m_blocks.empty() || m_blocks.back().size() + upper.size() > m_blocks.back().capacity()) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(std::max<std::size_t>(blockSize, upper.size()));
        }
        entry.block = static_cast<std::uint32_t>(m_blocks.size() - 1);
        entry.offset = static_cast<std::uint32_t>(m_blocks.back().size());
        m_blocks.back().append(upper);
        m_entries.push_back(entry);
        place(static_cast<std::uint32_t>(m_entries.size()));
        return static_cast<std::uint32_t>(m_entries.size() - 1);
    }

    Entry& operator[](std::uint32_t index)
    {
        return m_entries[index];
    }

private:
    static constexpr std::size_t blockSize = std::size_t { 1 } << 20;

    std::string_view text(const Entry& entry) const
    {
        return std::string_view(m_blocks[entry.block]).substr(entry.offset, entry.length);
    }

    void place(std::uint32_t index)
    {
        const std::uint64_t hash = hashOf(text(m_entries[index - 1]));
        std::size_t slot = hash & (m_slots.size() - 1);
        while (m_slots[slot] != 0)
            slot = (slot + 1) & (m_slots.size() - 1);
        m_slots[slot] = index;
    }

    void grow()
    {
        m_slots.assign(m_slots.empty() ? 64 : m_slots.size() * 2, 0);
        for (std::uint32_t index = 1; index <= m_entries.size(); ++index)
            place(index);
    }

    std::vector<std::string> m_blocks;
    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_slots;
};

TakenNames::TakenNames(HeldFolder& folder)
    : m_folder(folder)
    , m_table(std::make_unique<Table>())
{
}

TakenNames::~TakenNames() = default;

void TakenNames::listFolder()
{
    m_listed = true;
    std::string upper;
    m_folder.listFolder([&](std::string_view name) {
        upperCaseInto(name, upper);
        m_table->insert(upper);
    });
}

bool TakenNames::holds(const std::string& name)
{
    if (!m_listed)
        listFolder();
    upperCaseInto(name, m_upper);
    return m_table->find(m_upper) != Table::none;
}

std::string TakenNames::findFree(const std::string& start, std::uint64_t number)
{
    m_passed.clear();
    m_found = start;
    m_foundPlace = 0;
    std::uint32_t entry = holds(start) ? m_table->find(m_upper) : Table::none;
    if (entry == Table::none && !isDeviceName(GetBaseName(start)) && !isNumberedFromOn(start, number)) {
        m_foundUpper = m_upper;
        return start;
    }
    // The variants are made along the chain from the start, jumping over those known to be taken.
    std::uint64_t place = 0;
    for (;;) {
        if (entry != Table::none) {
            m_passed.emplace_back(entry, place);
            place += (*m_table)[entry].taken;
        }
        m_found = advanceName(m_found, place + 1 - m_foundPlace);
        m_foundPlace = ++place;
        upperCaseInto(m_found, m_upper);
        entry = m_table->find(m_upper);
        if (entry == Table::none)
            break;
    }
    m_foundUpper = m_upper;
    return m_found;
}

void TakenNames::add(const std::string& name)
{
    if (!m_listed)
        listFolder();
    if (name != m_found) {
        m_table->insert(upperCase(name));
        return;
    }
    m_table->insert(m_foundUpper);
    for (const auto& [entry, place] : m_passed)
        (*m_table)[entry].taken = m_foundPlace - place;
    m_passed.clear();
    m_found.clear();
}

} // namespace tessely
