#include "Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace tessely
{
namespace
{

struct CaseRange {
    std::uint32_t first;
    std::uint32_t last;
    std::int32_t delta;
};

constexpr CaseRange upperCaseRanges[] = {
#include "UpperCaseTable.inc"
};

/// Length of the valid UTF-8 sequence at the start of `text`, or 0 when it is not valid.
std::size_t sequenceLength(std::string_view text, std::uint32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

std::uint32_t searchUpper(std::uint32_t codePoint)
{
    const auto* end = std::end(upperCaseRanges);
    const auto* it
        = std::upper_bound(std::begin(upperCaseRanges), end, codePoint, [](std::uint32_t cp, const CaseRange& range) {
              return cp < range.first;
          });
    if (it == std::begin(upperCaseRanges))
        return codePoint;
    --it;
    if (codePoint > it->last)
        return codePoint;
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(codePoint) + it->delta);
}

/// The letters of two-byte sequences (Latin, Greek, Cyrillic, Armenian, Hebrew, Arabic...) are looked up
/// in a table made once, the rest in the ranges.
constexpr std::uint32_t tabled = 0x800;

std::uint32_t simpleUpper(std::uint32_t codePoint)
{
    static const auto table = [] {
        std::array<std::uint16_t, tabled> upper {};
        for (std::uint32_t cp = 0; cp < tabled; ++cp)
            upper[cp] = static_cast<std::uint16_t>(searchUpper(cp));
        return upper;
    }();
    return codePoint < tabled ? table[codePoint] : searchUpper(codePoint);
}

/// Writes `cp` in UTF-8 to `out`, which has room for four bytes; gives the number of bytes written.
std::size_t encodeUtf8(std::uint32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

} // namespace

void appendUtf8(std::string& out, std::uint32_t cp)
{
    char bytes[4];
    out.append(bytes, encodeUtf8(cp, bytes));
}

void upperCaseInto(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            out.push_back(asciiUpper(c));
            ++i;
            continue;
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(text.substr(i), codePoint);
        if (length == 0) {
            out.push_back(c);
            ++i;
            continue;
        }
        const std::uint32_t upper = simpleUpper(codePoint);
        if (upper == codePoint)
            out.append(text.substr(i, length));
        else
            appendUtf8(out, upper);
        i += length;
    }
}

void upperCaseBeyondAscii(std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(std::string_view(text).substr(i), codePoint);
        if (length == 0) {
            ++i;
            continue;
        }
        const std::uint32_t upper = simpleUpper(codePoint);
        if (upper == codePoint) {
            i += length;
            continue;
        }
        char encoded[4];
        const std::size_t size = encodeUtf8(upper, encoded);
        // Almost every letter keeps its length; the few that do not make the text shift.
        if (size == length)
            std::memcpy(&text[i], encoded, length);
        else
            text.replace(i, length, encoded, size);
        i += size;
    }
}

std::string upperCase(std::string_view text)
{
    std::string out;
    upperCaseInto(text, out);
    return out;
}

std::string_view trimSpaces(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return;
    std::size_t pos = text.find(from);
    if (pos == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size());
    std::size_t done = 0;
    for (; pos != std::string::npos; pos = text.find(from, done)) {
        out.append(text, done, pos - done);
        out.append(to);
        done = pos + from.size();
    }
    out.append(text, done, std::string::npos);
    text.swap(out);
}

std::size_t characterPrefixBytes(std::string_view text, std::size_t characters)
{
    std::size_t i = 0;
    for (std::size_t counted = 0; counted < characters && i < text.size(); ++counted) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(text.substr(i), codePoint);
        i += length == 0 ? 1 : length;
    }
    return i;
}

std::size_t characterCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(text.substr(i), codePoint);
        i += length == 0 ? 1 : length;
    }
    return count;
}

std::size_t incompleteUtf8Tail(std::string_view text)
{
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if (byte >= 0x80 && byte <= 0xBF)
            continue; // a continuation byte: its lead is further back
        const std::size_t length = byte >= 0xC2 && byte <= 0xDF ? 2
            : byte >= 0xE0 && byte <= 0xEF                      ? 3
            : byte >= 0xF0 && byte <= 0xF4                      ? 4
                                                                : 0;
        return length > back ? text.size() - back : text.size();
    }
    return text.size();
}

std::size_t utf8PrefixBytes(std::string_view text, std::size_t bytes)
{
    std::size_t i = 0;
    while (i < text.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(text.substr(i), codePoint);
        const std::size_t next = i + (length == 0 ? 1 : length);
        if (next > bytes)
            break;
        i = next;
    }
    return i;
}

bool isValidUtf8(std::string_view text)
{
    // Most text is ASCII: one pass that the compiler can vectorise tells.
    unsigned char high = 0;
    for (const char c : text)
        high |= static_cast<unsigned char>(c);
    if (high < 0x80)
        return true;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceLength(text.substr(i), codePoint);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void Utf8Check::add(char c)
{
    if (!m_valid)
        return;
    const auto b = static_cast<unsigned char>(c);
    if (m_pending > 0) {
        m_valid = b >= m_low && b <= m_high;
        --m_pending;
        m_low = 0x80;
        m_high = 0xBF;
    } else if (b >= 0xC2 && b <= 0xDF) {
        m_pending = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        m_pending = 2;
        m_low = b == 0xE0 ? 0xA0 : 0x80;
        m_high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        m_pending = 3;
        m_low = b == 0xF0 ? 0x90 : 0x80;
        m_high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        m_valid = b < 0x80;
    }
}

std::string windows1252ToUtf8(std::string_view text)
{
    // 0x80 to 0x9F; the rest of the upper half is Latin-1, the same code points as the bytes. The five bytes
    // the code page leaves undefined give the replacement character, not the control characters that
    // Windows reads them as.
    static constexpr std::uint16_t high[32] = { 0x20AC,
        0xFFFD,
        0x201A,
        0x0192,
        0x201E,
        0x2026,
        0x2020,
        0x2021,
        0x02C6,
        0x2030,
        0x0160,
        0x2039,
        0x0152,
        0xFFFD,
        0x017D,
        0xFFFD,
        0xFFFD,
        0x2018,
        0x2019,
        0x201C,
        0x201D,
        0x2022,
        0x2013,
        0x2014,
        0x02DC,
        0x2122,
        0x0161,
        0x203A,
        0x0153,
        0xFFFD,
        0x017E,
        0x0178 };
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out.push_back(c);
        else
            appendUtf8(out, b < 0xA0 ? high[b - 0x80] : b);
    }
    return out;
}

} // namespace tessely
