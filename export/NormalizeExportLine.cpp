#include "NormalizeExportLine.h"

#include "platform/Text.h"

#include <cstring>

namespace tessely
{
namespace
{

/// Where a UTF-8 sequence that the next bytes may still complete starts at the end of `text`, or the end
/// of `text` when none does.
std::size_t incompleteTail(std::string_view text)
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

/// Appends `bytes` to `out` with every "," deleted, every ";" made a space and ASCII letters upper-cased;
/// gives true when a byte outside ASCII was among them.
bool appendMapped(std::string_view bytes, std::string& out)
{
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char* const mapped = out.data() + start;
    unsigned char high = 0;
    std::size_t size = 0;
    if (std::memchr(bytes.data(), ',', bytes.size()) == nullptr) {
        // Most lines have no comma: every byte maps to one byte, in a loop the compiler can vectorise.
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const unsigned char byte = in[i];
            high |= byte;
            const auto upper
                = static_cast<unsigned char>(byte - (static_cast<unsigned char>(byte - 'a') < 26 ? 32 : 0));
            mapped[i] = static_cast<char>(byte == ';' ? ' ' : upper);
        }
        size = bytes.size();
    } else {
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            high |= byte;
            mapped[size] = c == ';' ? ' ' : c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            size += c != ',' ? 1 : 0;
        }
    }
    out.resize(start + size);
    return (high & 0x80) != 0;
}

} // namespace

NormalizeExportLine::NormalizeExportLine(Sink& sink)
    : m_sink(sink)
{
}

void NormalizeExportLine::start(bool windows1252, bool values)
{
    m_windows1252 = windows1252;
    m_values = values;
    m_carry.clear();
    m_afterColon = false;
    m_trimming = true;
    m_spaces = 0;
}

void NormalizeExportLine::feed(std::string_view piece)
{
    if (m_afterColon && !m_values)
        return;
    if (!m_values) {
        const auto colon = piece.find(':');
        piece = piece.substr(0, colon == std::string_view::npos ? colon : colon + 1);
    }
    const bool carried = !m_carry.empty();
    m_text.assign(m_carry);
    m_carry.clear();
    bool high = false;
    if (m_windows1252) {
        high = appendMapped(windows1252ToUtf8(piece), m_text);
    } else {
        // Deleting a comma can join the bytes around it into one character, so the commas go first, and the
        // end of a character that the next piece may complete waits for it.
        high = appendMapped(piece, m_text) || carried;
        const std::size_t cut = incompleteTail(m_text);
        m_carry.assign(m_text, cut, std::string::npos);
        m_text.resize(cut);
    }
    // ASCII letters are upper-cased already; the others need the Unicode table, on whole characters.
    if (high)
        upperCaseBeyondAscii(m_text);
    emit(m_text);
}

void NormalizeExportLine::finish()
{
    if (!m_carry.empty()) {
        m_text.swap(m_carry);
        m_carry.clear();
        upperCaseBeyondAscii(m_text);
        emit(m_text);
    }
    // Spaces at the end of the line are trimmed.
    m_spaces = 0;
}

void NormalizeExportLine::emit(std::string_view text)
{
    if (!m_afterColon) {
        const auto colon = text.find(':');
        part(false, text.substr(0, colon));
        if (colon == std::string_view::npos)
            return;
        // Spaces right before and right after the first colon are trimmed from the field name and the value.
        m_afterColon = true;
        m_trimming = true;
        m_spaces = 0;
        text.remove_prefix(colon + 1);
    }
    if (m_values)
        part(true, text);
}

void NormalizeExportLine::part(bool value, std::string_view text)
{
    if (m_trimming) {
        const auto first = text.find_first_not_of(' ');
        if (first == std::string_view::npos)
            return;
        text.remove_prefix(first);
        m_trimming = false;
    }
    const auto last = text.find_last_not_of(' ');
    if (last == std::string_view::npos) {
        m_spaces += text.size();
        return;
    }
    // Spaces between two texts are part of the line; those at its end wait for what follows them.
    if (m_spaces > 0)
        m_sink.spaces(value, m_spaces);
    m_sink.text(value, text.substr(0, last + 1));
    m_spaces = text.size() - last - 1;
}

} // namespace tessely
