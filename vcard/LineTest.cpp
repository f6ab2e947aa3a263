#include "LineTest.h"

#include "platform/Text.h"

#include <algorithm>

namespace tessely
{
namespace
{

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
        m_leading = m_trailing = 0;
        m_word.clear();
        m_marked = piece.substr(0, byteOrderMark.size()) == byteOrderMark;
        if (m_marked)
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
            if (m_word.size() + word.size() > longestWord) {
                m_phase = Phase::Other;
                return;
            }
            m_word.append(word);
            if (space == std::string_view::npos)
                return;
            m_phase = Phase::Trailing;
            piece.remove_prefix(space);
            continue;
        }
        const auto text = piece.find_first_not_of(' ');
        (m_phase == Phase::Leading ? m_leading : m_trailing) += std::min(text, piece.size());
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
    return (m_phase == Phase::Word || m_phase == Phase::Trailing) && readsAs(m_word, "BEGIN:VCARD", 1);
}

bool LineTest::closing() const
{
    return (m_phase == Phase::Word || m_phase == Phase::Trailing) && readsAs(m_word, "END:VCARD", 0);
}

bool isOpeningLine(std::string_view line)
{
    LineTest test;
    test.feed(line, true);
    return test.opening();
}

bool isClosingLine(std::string_view line)
{
    LineTest test;
    test.feed(line, true);
    return test.closing();
}

} // namespace tessely
