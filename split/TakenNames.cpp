#include "TakenNames.h"

#include "NextFreeFileName.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <charconv>

namespace tessely
{

bool isNumberedFromOn(std::string_view fileName, std::uint64_t number)
{
    // "contact", at least four digits and no leading zero beyond those four, ".vcf".
    constexpr std::size_t stem = 7;
    constexpr std::size_t extension = 4;
    if (fileName.size() < stem + 4 + extension || upperCase(fileName.substr(0, stem)) != "CONTACT"
        || upperCase(fileName.substr(fileName.size() - extension)) != ".VCF")
        return false;
    const std::string_view digits = fileName.substr(stem, fileName.size() - stem - extension);
    if (digits.size() > 4 && digits.front() == '0')
        return false;
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && stop == digits.data() + digits.size() && value >= number;
}

TakenNames::TakenNames(HeldFolder& folder)
    : m_folder(folder)
{
}

std::uint64_t& TakenNames::insert(std::string_view upper)
{
    const auto known = m_taken.find(upper);
    if (known != m_taken.end())
        return known->second;
    // The texts are kept back to back in large blocks, which never move, so the index keys on views into them.
    constexpr std::size_t blockSize = std::size_t { 1 } << 20;
    if (m_texts.empty() || m_texts.back().size() + upper.size() > m_texts.back().capacity())
        m_texts.emplace_back().reserve(std::max(blockSize, upper.size()));
    const std::size_t at = m_texts.back().size();
    m_texts.back().append(upper);
    return m_taken.emplace(std::string_view(m_texts.back()).substr(at), 0).first->second;
}

void TakenNames::listFolder()
{
    m_listed = true;
    std::string upper;
    m_folder.listFolder([&](std::string_view name) {
        upperCaseInto(name, upper);
        insert(upper);
    });
}

bool TakenNames::holds(const std::string& name)
{
    if (!m_listed)
        listFolder();
    upperCaseInto(name, m_upper);
    return m_taken.count(m_upper) > 0;
}

std::string TakenNames::findFree(const std::string& start, std::uint64_t number)
{
    m_passed.clear();
    m_found = start;
    m_foundPlace = 0;
    auto entry = holds(start) ? m_taken.find(m_upper) : m_taken.end();
    if (entry == m_taken.end() && !isDeviceName(GetBaseName(start)) && !isNumberedFromOn(start, number))
        return start;
    // The variants are made along the chain from the start, jumping over those known to be taken.
    std::uint64_t place = 0;
    do {
        if (entry != m_taken.end()) {
            m_passed.emplace_back(&entry->second, place);
            place += entry->second;
        }
        m_found = advanceName(m_found, place + 1 - m_foundPlace);
        m_foundPlace = ++place;
        upperCaseInto(m_found, m_upper);
        entry = m_taken.find(m_upper);
    } while (entry != m_taken.end());
    return m_found;
}

void TakenNames::add(const std::string& name)
{
    if (!m_listed)
        listFolder();
    insert(upperCase(name));
    if (name != m_found)
        return;
    for (const auto& [taken, place] : m_passed)
        *taken = m_foundPlace - place;
    m_passed.clear();
    m_found.clear();
}

} // namespace tessely
