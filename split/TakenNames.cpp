#include "TakenNames.h"

#include "NextFreeFileName.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <charconv>
#include <cstring>

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

bool isDeviceName(std::string_view stem)
{
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    char upper[5] = {};
    if (stem.size() < 3 || stem.size() > 4)
        return false;
    for (std::size_t i = 0; i < stem.size(); ++i)
        upper[i] = asciiUpper(stem[i]);
    const std::string_view name(upper, stem.size());
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL")
        return true;
    return name.size() == 4 && (name.substr(0, 3) == "COM" || name.substr(0, 3) == "LPT") && name[3] >= '1'
        && name[3] <= '9';
}

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

/// The upper-cased names, kept back to back in large blocks, found through an open-addressing table.
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

TakenNames::TakenNames(FileSystem& fs, std::string folder)
    : m_fs(fs)
    , m_folder(std::move(folder))
    , m_table(std::make_unique<Table>())
{
}

TakenNames::~TakenNames() = default;

void TakenNames::listFolder()
{
    m_listed = true;
    std::string upper;
    m_fs.listFolder(m_folder, [&](std::string_view name) {
        upperCaseInto(name, upper);
        m_table->insert(upper);
    });
}

bool TakenNames::holds(const std::string& name)
{
    if (!m_listed)
        listFolder();
    return m_table->find(upperCase(name)) != Table::none;
}

std::string TakenNames::findFree(const std::string& start, std::uint64_t number)
{
    m_passed.clear();
    m_found.clear();
    const bool startHeld = holds(start);
    if (!startHeld && !isDeviceName(GetBaseName(start)) && !isNumberedFromOn(start, number)) {
        m_found = start;
        m_foundPlace = 0;
        return start;
    }
    std::string candidate = start;
    std::uint64_t place = 0;
    std::string upper;
    std::uint32_t entry = startHeld ? m_table->find(upperCase(start)) : Table::none;
    for (;;) {
        if (entry != Table::none) {
            m_passed.emplace_back(entry, place);
            // Jump over the variants already known to be taken.
            const std::uint64_t known = (*m_table)[entry].taken;
            if (known > 0) {
                candidate = advanceName(candidate, known);
                place += known;
            }
        }
        candidate = nextFreeName(candidate);
        ++place;
        upperCaseInto(candidate, upper);
        entry = m_table->find(upper);
        if (entry == Table::none)
            break;
    }
    m_found = candidate;
    m_foundPlace = place;
    return candidate;
}

void TakenNames::add(const std::string& name)
{
    if (!m_listed)
        listFolder();
    m_table->insert(upperCase(name));
    if (name != m_found)
        return;
    for (const auto& [entry, place] : m_passed)
        (*m_table)[entry].taken = m_foundPlace - place;
    m_passed.clear();
    m_found.clear();
}

} // namespace tessely
