#include "ContactReader.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>

namespace tessely
{
namespace
{

/// Input read between two questions to the host whether to stop.
constexpr std::uint64_t stopCheckBytes = std::uint64_t { 1 } << 16;

/// True when `word`, upper-cased, is the ASCII text `target`, which holds `twoByteLetters` letters "I" and
/// "S". Only two letters outside ASCII upper-case to ASCII, the dotless i to "I" and the long s to "S", from
/// two bytes to one: a word as long as the target reads as it only in ASCII, and one of another length needs
/// the Unicode table only when it is longer by at most that many bytes.
bool readsAs(std::string_view word, std::string_view target, std::size_t twoByteLetters)
{
    if (word == target)
        return true;
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

/// Where a line's text starts, past a byte-order mark and spaces; its size when it holds nothing else.
std::size_t textStart(std::string_view line)
{
    std::size_t at = !line.empty() && line[0] == byteOrderMark[0] && line.substr(0, 3) == byteOrderMark ? 3 : 0;
    while (at < line.size() && line[at] == ' ')
        ++at;
    return at;
}

/// False for a line whose text, from `at` on, can be no opening, closing or AGENT line. Opening and closing
/// lines start with a "b" or an "e" in either case and are short once trimmed (the dotless i takes two bytes);
/// AGENT lines start with "agent".
bool mayMatter(std::string_view line, std::size_t at)
{
    if (at == line.size())
        return false;
    const auto lower = [&](std::size_t i) { return at + i < line.size() ? line[at + i] | 0x20 : 0; };
    const int first = lower(0);
    if (first == 'a')
        return lower(1) == 'g' && lower(2) == 'e' && lower(3) == 'n' && lower(4) == 't';
    return (first == 'b' || first == 'e') && lower(8) != 0 && (lower(12) == 0 || lower(12) == (' ' | 0x20));
}

/// False when a line that starts with `c` can be no opening, closing or AGENT line, whatever follows.
bool mayStartMatter(char c)
{
    // One look-up for the byte that starts every line of a contact.
    static constexpr auto table = [] {
        std::array<bool, 256> starts {};
        for (const char start : { 'a', 'b', 'e', 'A', 'B', 'E', ' ', byteOrderMark[0] })
            starts[static_cast<unsigned char>(start)] = true;
        return starts;
    }();
    return table[static_cast<unsigned char>(c)];
}

/// `plainLines`, the line ends of 64 bytes found and checked at once, 32 bytes compared at a time when `wide`;
/// only a line that starts as an opening, closing or AGENT line could is looked at closer.
template <bool wide>
[[gnu::always_inline]] inline std::size_t plainLinesWith(std::string_view text, std::size_t& lastLine)
{
    const char* const data = text.data();
    std::size_t start = 0;
    // 1 when the block before ends with a CR, whose LF this block is to start with.
    std::uint64_t carried = 0;
    for (std::size_t block = 0; block < text.size(); block += 64) {
        LineEnds ends;
#if defined(TESSELY_WIDE_LINE_ENDS)
        if (wide && block + 64 <= text.size())
            ends = wideLineEndsIn(data + block);
        else
#endif
            ends = lineEndsIn(data + block, std::min<std::size_t>(text.size() - block, 64));
        // Every CR is to be followed by an LF and every LF to follow a CR; where that fails first (a CR that
        // ends the text included), the run ends with the line before.
        const std::uint64_t odd = ends.lf ^ (ends.cr << 1 | carried);
        std::uint64_t crs = ends.cr;
        bool last = odd != 0;
        if (last) {
            const auto at = static_cast<unsigned>(__builtin_ctzll(odd));
            crs &= at == 0 ? 0 : (std::uint64_t { 1 } << (at - 1)) - 1;
        }
        carried = crs >> 63;
        if (carried != 0 && !(block + 64 < text.size() && data[block + 64] == '\n')) {
            crs &= ~(std::uint64_t { 1 } << 63);
            last = true;
        }
        for (; crs != 0; crs &= crs - 1) {
            const std::size_t end = block + static_cast<std::size_t>(__builtin_ctzll(crs));
            if (end > start && mayStartMatter(data[start])) {
                const std::string_view line(data + start, end - start);
                if (mayMatter(line, textStart(line)))
                    return start;
            }
            lastLine = start;
            start = end + 2;
        }
        if (last)
            return start;
    }
    return start;
}

#if defined(TESSELY_WIDE_LINE_ENDS)
[[gnu::target("avx2")]] std::size_t widePlainLines(std::string_view text, std::size_t& lastLine)
{
    return plainLinesWith<true>(text, lastLine);
}
#endif

} // namespace

LineScan fastestLineScan()
{
#if defined(TESSELY_WIDE_LINE_ENDS)
    static const bool wide = __builtin_cpu_supports("avx2") != 0;
    return wide ? LineScan::Wide : LineScan::Narrow;
#else
    return LineScan::Narrow;
#endif
}

std::size_t plainLines(std::string_view text, std::size_t& lastLine, LineScan scan)
{
#if defined(TESSELY_WIDE_LINE_ENDS)
    if (scan == LineScan::Wide && fastestLineScan() == LineScan::Wide)
        return widePlainLines(text, lastLine);
#endif
    (void)scan;
    return plainLinesWith<false>(text, lastLine);
}

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
    const std::size_t at = textStart(line);
    if (mayMatter(line, at))
        return false;
    m_role = !m_inside ? LineRole::Outside : m_depth > 0 ? LineRole::Nested : LineRole::Property;
    if (!m_inside && at < line.size())
        ++m_skipped;
    m_afterAgent = false;
    return true;
}

bool ContactReader::nextLines(LineRun& run)
{
    constexpr std::string_view opening = "BEGIN:VCARD\r\n";
    constexpr std::string_view closing = "END:VCARD\r\n";
    if (m_stage != Stage::None || (m_host != nullptr && m_sinceCheck >= stopCheckBytes))
        return false;
    const std::string_view buffered = m_lines.bufferedLines();
    run.opens = !m_inside && buffered.substr(0, opening.size()) == opening;
    if (!m_inside && !run.opens)
        return false;
    const std::size_t from = run.opens ? opening.size() : 0;
    std::size_t lastLine = 0;
    std::size_t size = from + plainLines(buffered.substr(from), lastLine, fastestLineScan());
    lastLine += size > from ? from : 0;
    run.closes = m_depth == 0 && buffered.substr(size, closing.size()) == closing;
    if (run.closes) {
        lastLine = size;
        size += closing.size();
    }
    if (size == 0)
        return false;
    run.text = buffered.substr(0, size);
    m_lines.skipLines(size, lastLine);
    m_sinceCheck += size;
    if (run.opens) {
        ++m_contacts;
        m_depth = 0;
    }
    m_inside = !run.closes;
    m_role = run.closes ? LineRole::Closing : m_depth > 0 ? LineRole::Nested : LineRole::Property;
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
