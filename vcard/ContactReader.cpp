#include "ContactReader.h"

#include "platform/Text.h"

#include <algorithm>

namespace tessely
{
namespace
{

/// Input read between two questions to the host whether to stop.
constexpr std::uint64_t stopCheckBytes = std::uint64_t { 1 } << 16;

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

/// True when `word`, upper-cased, is the ASCII text `target`, which holds `twoByteLetters` letters "I" and
/// "S". Only two letters outside ASCII upper-case to ASCII, the dotless i to "I" and the long s to "S", from
/// two bytes to one: a word as long as the target reads as it only in ASCII, and one of another length needs
/// the Unicode table only when it is longer by at most that many bytes.
bool readsAs(std::string_view word, std::string_view target, std::size_t twoByteLetters)
{
    if (word.size() == target.size()) {
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (asciiUpper(word[i]) != target[i])
                return false;
        }
        return true;
    }
    if (word.size() < target.size() || word.size() > target.size() + twoByteLetters)
        return false;
    thread_local std::string upper;
    upperCaseInto(word, upper);
    return upper == target;
}

} // namespace

void LineTest::feed(std::string_view piece, bool first)
{
    if (first) {
        m_phase = Phase::Leading;
        m_agent = Agent::Name;
        m_matched = 0;
        held.leading = held.trailing = 0;
        held.word.clear();
        held.marked = piece.substr(0, byteOrderMark.size()) == byteOrderMark;
        if (held.marked)
            piece.remove_prefix(byteOrderMark.size());
    }
    feedAgent(piece);
    // Letters outside ASCII such as the dotless i upper-case to ASCII; four bytes a letter is the longest
    // word that could still read "BEGIN:VCARD".
    constexpr std::size_t longestWord = std::size_t { 4 } * 11;
    while (!piece.empty() && m_phase != Phase::Other) {
        if (m_phase == Phase::Word) {
            const auto space = piece.find(' ');
            const std::string_view word = piece.substr(0, space);
            if (held.word.size() + word.size() > longestWord) {
                m_phase = Phase::Other;
                return;
            }
            held.word.append(word);
            if (space == std::string_view::npos)
                return;
            m_phase = Phase::Trailing;
            piece.remove_prefix(space);
            continue;
        }
        const auto text = piece.find_first_not_of(' ');
        (m_phase == Phase::Leading ? held.leading : held.trailing) += std::min(text, piece.size());
        if (text == std::string_view::npos)
            return;
        m_phase = m_phase == Phase::Leading ? Phase::Word : Phase::Other;
        piece.remove_prefix(text);
    }
}

void LineTest::feedAgent(std::string_view piece)
{
    // The property's name, in any letter case, spaces around it; then parameters up to the first colon;
    // then nothing but spaces.
    constexpr std::string_view name = "AGENT";
    for (const char c : piece) {
        switch (m_agent) {
        case Agent::Name:
            if (c == ' ' && m_matched == 0)
                break;
            if (asciiUpper(c) != name[m_matched]) {
                m_agent = Agent::No;
                return;
            }
            if (++m_matched == name.size())
                m_agent = Agent::AfterName;
            break;
        case Agent::AfterName:
            m_agent = c == ' ' ? Agent::AfterName : c == ';' ? Agent::Parameters : c == ':' ? Agent::Value : Agent::No;
            break;
        case Agent::Parameters:
            if (c == ':')
                m_agent = Agent::Value;
            break;
        case Agent::Value:
            if (c != ' ')
                m_agent = Agent::No;
            break;
        case Agent::No:
            return;
        }
    }
}

bool LineTest::opening() const
{
    return (m_phase == Phase::Word || m_phase == Phase::Trailing) && readsAs(held.word, "BEGIN:VCARD", 1);
}

bool LineTest::closing() const
{
    return (m_phase == Phase::Word || m_phase == Phase::Trailing) && readsAs(held.word, "END:VCARD", 0);
}

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
        m_held = m_test.held;
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
    } else if (m_test.closing()) {
        m_role = m_depth > 0 ? LineRole::Nested : LineRole::Closing;
        m_inside = m_depth > 0;
        m_depth -= m_inside ? 1 : 0;
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
            m_spaces = m_held.leading;
            if (m_held.marked) {
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
            m_spaces = m_held.trailing;
            if (!m_held.word.empty()) {
                emit(piece, m_held.word);
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
