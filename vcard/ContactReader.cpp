#include "ContactReader.h"

#include <algorithm>

namespace tessely
{
namespace
{

/// Input read between two questions to the host whether to stop.
constexpr std::uint64_t stopCheckBytes = std::uint64_t { 1 } << 16;

} // namespace

ContactReader::ContactReader(LineReader& lines, JobHost* host, bool inside)
    : m_lines(lines)
    , m_host(host)
    , m_inside(inside)
{
}

bool ContactReader::read(LinePiece& piece)
{
    if (m_host != nullptr && m_sinceCheck >= stopCheckBytes) {
        m_sinceCheck = 0;
        m_stopped = m_host->stopRequested();
        if (m_stopped)
            return false;
    }
    if (!m_lines.next(piece))
        return false;
    m_sinceCheck += piece.text.size() + 1;
    return true;
}

bool ContactReader::next(ContactPiece& piece)
{
    if (m_stage != Stage::None)
        return replay(piece);
    LinePiece line;
    if (!read(line)) {
        if (m_stopped || !m_inside)
            return false;
        // The file ends inside a contact: it is closed here, with every card still open in it.
        piece = { {}, true, true, LineRole::Closing, m_depth + 1 };
        m_inside = false;
        m_depth = 0;
        return true;
    }
    if (!line.first) {
        // The rest of a line whose part is known; only whether it is an AGENT line is still open.
        piece = { line.text, false, line.last, m_role };
        m_test.feed(line.text, false);
        if (line.last)
            lineEnded();
        return true;
    }
    if (line.last && plainLine(line.text)) {
        piece = { line.text, true, true, m_role };
        return true;
    }
    // Held back while it may still open or close a contact.
    m_test.feed(line.text, true);
    bool held = false;
    while (!line.last && m_test.undecided()) {
        m_held = m_test;
        held = true;
        if (!read(line))
            return false;
        m_test.feed(line.text, false);
    }
    decide();
    if (!held && m_openCards == 0) {
        piece = { line.text, true, line.last, m_role };
        if (line.last)
            lineEnded();
        return true;
    }
    m_current = line;
    m_replayed = false;
    m_holding = held;
    m_stage = m_openCards > 0 ? Stage::Closing : held ? Stage::Mark : Stage::Current;
    return replay(piece);
}

bool ContactReader::plainLine(std::string_view line)
{
    std::size_t at = !line.empty() && line[0] == byteOrderMark[0] && line.substr(0, 3) == byteOrderMark ? 3 : 0;
    while (at < line.size() && line[at] == ' ')
        ++at;
    if (at < line.size()) {
        // Opening and closing lines start with a "b" or an "e" in either case and are short once trimmed (the
        // dotless i takes two bytes); AGENT lines start with "agent".
        const auto lower = [&](std::size_t i) { return at + i < line.size() ? line[at + i] | 0x20 : 0; };
        const int first = lower(0);
        if (first == 'a' && lower(1) == 'g' && lower(2) == 'e' && lower(3) == 'n' && lower(4) == 't')
            return false;
        if ((first == 'b' || first == 'e') && lower(8) != 0 && (lower(12) == 0 || lower(12) == (' ' | 0x20)))
            return false;
    }
    m_role = !m_inside ? LineRole::Outside : m_depth > 0 ? LineRole::Nested : LineRole::Property;
    if (!m_inside && at < line.size())
        ++m_skipped;
    m_afterAgent = false;
    return true;
}

void ContactReader::decide()
{
    const bool opening = m_test.opening();
    m_openCards = 0;
    if (!m_inside) {
        m_role = opening ? LineRole::Opening : LineRole::Outside;
        if (!opening && !m_test.blank())
            ++m_skipped;
    } else if (opening && m_afterAgent) {
        m_role = LineRole::Nested;
        ++m_depth;
    } else if (opening) {
        // The contact never closed: this line closes it and opens the next.
        m_openCards = m_depth + 1;
        m_role = LineRole::Opening;
    } else if (m_test.closing() && m_depth > 0) {
        m_role = LineRole::Nested;
        --m_depth;
    } else if (m_test.closing()) {
        m_role = LineRole::Closing;
        m_inside = false;
    } else {
        m_role = m_depth > 0 ? LineRole::Nested : LineRole::Property;
    }
    if (opening && m_role == LineRole::Opening) {
        m_inside = true;
        m_depth = 0;
        ++m_contacts;
    }
}

void ContactReader::lineEnded()
{
    m_afterAgent = (m_role == LineRole::Property || m_role == LineRole::Nested) && m_test.agent();
}

void ContactReader::emit(ContactPiece& piece, std::string_view text)
{
    piece = { text, !m_replayed, false, m_role };
    m_replayed = true;
}

bool ContactReader::replay(ContactPiece& piece)
{
    static const std::string spaces(4096, ' ');
    for (;;) {
        switch (m_stage) {
        case Stage::None:
            return false;
        case Stage::Closing:
            piece = { {}, true, true, LineRole::Closing, m_openCards };
            m_stage = m_holding ? Stage::Mark : Stage::Current;
            return true;
        case Stage::Mark:
            m_stage = Stage::Leading;
            m_spaces = m_held.leadingSpaces();
            if (m_held.marked()) {
                emit(piece, byteOrderMark);
                return true;
            }
            break;
        case Stage::Leading:
        case Stage::Trailing:
            if (m_spaces > 0) {
                const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(m_spaces, spaces.size()));
                m_spaces -= count;
                emit(piece, std::string_view(spaces).substr(0, count));
                return true;
            }
            m_stage = m_stage == Stage::Leading ? Stage::Word : Stage::Current;
            break;
        case Stage::Word:
            m_stage = Stage::Trailing;
            m_spaces = m_held.trailingSpaces();
            if (!m_held.word().empty()) {
                emit(piece, m_held.word());
                return true;
            }
            break;
        case Stage::Current:
            m_stage = Stage::None;
            piece = { m_current.text, !m_replayed, m_current.last, m_role };
            if (m_current.last)
                lineEnded();
            return true;
        }
    }
}

} // namespace tessely
