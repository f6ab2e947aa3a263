#include "TakenNames.h"

#include "NextFreeFileName.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <charconv>
#include <cstring>
#include <limits>

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

TakenNames::TakenNames(HeldFolder& folder)
    : m_folder(folder)
    , m_table(std::make_unique<Table>())
    , m_chain(std::make_unique<Chain>())
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

/// The names of a chain of variants, found by their place on it. A start that ends in a positive "-#N"
/// suffix, or in none that counts, has variants that only count up, "X-#1", "X-#2"..., which are made
/// directly; any other start (a negative suffix, one near the top of the number range) is followed step by
/// step as `nextFreeName` does.
class TakenNames::Chain
{
public:
    void reset(std::string_view start)
    {
        m_start.assign(start);
        m_lastPlace = 0;
        const auto dot = start.rfind('.');
        const std::string_view base = dot == std::string_view::npos ? start : start.substr(0, dot);
        m_extension.assign(dot == std::string_view::npos ? std::string_view() : start.substr(dot + 1));
        std::size_t mark = 0;
        const std::int64_t number = suffixNumber(base, mark);
        constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max() / 2;
        m_simple = number >= 0 && number < largest;
        // A positive suffix goes on counting; without one (or with 0) the first variant gets "-#1". A suffix
        // near the top of the number range is followed step by step instead, never counted past the top.
        m_prefix.assign(number > 0 ? base.substr(0, mark) : base);
        m_first = m_simple && number > 0 ? number + 1 : 1;
    }

    /// The name at `place` (1 is the first variant); places are asked for in increasing order.
    const std::string& at(std::uint64_t place)
    {
        constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max() / 2);
        if (m_simple && place < largest) {
            char digits[24];
            const auto end
                = std::to_chars(digits, digits + sizeof digits, m_first + static_cast<std::int64_t>(place) - 1).ptr;
            m_last.assign(m_prefix);
            m_last.append("-#");
            m_last.append(digits, static_cast<std::size_t>(end - digits));
            m_last.push_back('.');
            m_last.append(m_extension);
            return m_last;
        }
        m_last = advanceName(m_lastPlace == 0 ? m_start : m_last, place - m_lastPlace);
        m_lastPlace = place;
        return m_last;
    }

private:
    std::string m_start;
    std::string m_prefix;
    std::string m_extension;
    std::int64_t m_first = 1;
    bool m_simple = false;
    std::string m_last;
    std::uint64_t m_lastPlace = 0;
};

std::string TakenNames::findFree(const std::string& start, std::uint64_t number)
{
    m_passed.clear();
    m_found.clear();
    const bool startHeld = holds(start);
    if (!startHeld && !isDeviceName(GetBaseName(start)) && !isNumberedFromOn(start, number)) {
        m_found = start;
        m_foundUpper = m_upper;
        m_foundPlace = 0;
        return start;
    }
    Chain& chain = *m_chain;
    chain.reset(start);
    std::uint64_t place = 0;
    std::uint32_t entry = startHeld ? m_table->find(m_upper) : Table::none;
    for (;;) {
        if (entry != Table::none) {
            m_passed.emplace_back(entry, place);
            // Jump over the variants already known to be taken.
            place += (*m_table)[entry].taken;
        }
        ++place;
        upperCaseInto(chain.at(place), m_upper);
        entry = m_table->find(m_upper);
        if (entry == Table::none)
            break;
    }
    m_found = chain.at(place);
    m_foundUpper = m_upper;
    m_foundPlace = place;
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
