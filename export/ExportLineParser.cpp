#include "ExportLineParser.h"

#include "platform/Text.h"

#include <algorithm>

namespace tessely
{
namespace
{

/// The first bytes of a normalised line kept to tell it apart: more than "END:VCARD".
constexpr std::size_t headBytes = 16;

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

} // namespace

ExportLineParser::ExportLineParser(Sink& sink)
    : m_sink(sink)
{
}

void ExportLineParser::start()
{
    m_carry.clear();
    m_afterColon = false;
    m_justAfterColon = false;
    m_textSeen = false;
    m_pendingSpaces = 0;
    m_length = 0;
    m_head.clear();
}

void ExportLineParser::feed(std::string_view piece)
{
    // Deleting a comma can join the bytes around it into one character, so the commas go first and the
    // end of a character that the next piece may complete waits for it.
    m_cleaned.assign(m_carry);
    m_carry.clear();
    for (const char c : piece) {
        if (c != ',')
            m_cleaned.push_back(c == ';' ? ' ' : c);
    }
    const std::size_t cut = incompleteTail(m_cleaned);
    m_carry.assign(m_cleaned, cut, std::string::npos);
    m_cleaned.resize(cut);
    upperCased(m_cleaned);
}

void ExportLineParser::finish()
{
    if (!m_carry.empty()) {
        const std::string rest = m_carry;
        m_carry.clear();
        upperCased(rest);
    }
    // Spaces at the end of the line are trimmed.
    m_pendingSpaces = 0;
}

void ExportLineParser::upperCased(std::string_view bytes)
{
    upperCaseInto(bytes, m_upper);
    emit(m_upper);
}

void ExportLineParser::emit(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (bytes.front() == ' ') {
            const auto text = bytes.find_first_not_of(' ');
            const std::size_t count = text == std::string_view::npos ? bytes.size() : text;
            // Spaces at the start of the line are trimmed; others wait to see what follows them.
            if (m_textSeen)
                m_pendingSpaces += count;
            bytes.remove_prefix(count);
            continue;
        }
        std::size_t run = bytes.find(' ');
        if (run == std::string_view::npos)
            run = bytes.size();
        std::string_view text = bytes.substr(0, run);
        bytes.remove_prefix(run);
        if (m_pendingSpaces > 0) {
            // Spaces inside the line are part of it, but those right before and right after the first colon
            // are trimmed from the field name and the value.
            m_length += m_pendingSpaces;
            if (m_head.size() < headBytes)
                m_head.append(std::min<std::size_t>(headBytes - m_head.size(), m_pendingSpaces), ' ');
            const bool afterColon = m_afterColon;
            const bool nextToColon = (!afterColon && text.front() == ':') || m_justAfterColon;
            if (!nextToColon)
                m_sink.spaces(afterColon, m_pendingSpaces);
            m_pendingSpaces = 0;
        }
        m_textSeen = true;
        m_length += text.size();
        if (m_head.size() < headBytes)
            m_head.append(text.substr(0, headBytes - m_head.size()));
        if (!m_afterColon) {
            const auto colon = text.find(':');
            if (colon != std::string_view::npos) {
                m_sink.text(false, text.substr(0, colon));
                m_afterColon = true;
                m_justAfterColon = true;
                text.remove_prefix(colon + 1);
            }
        }
        if (!text.empty()) {
            m_sink.text(m_afterColon, text);
            m_justAfterColon = false;
        }
    }
}

} // namespace tessely
