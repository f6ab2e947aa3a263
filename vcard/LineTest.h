#ifndef TESSELY_VCARD_LINETEST_H
#define TESSELY_VCARD_LINETEST_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// The UTF-8 byte-order mark. Exports joined with `cat` carry one at the start of a later contact.
inline constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

/// Tells, piece by piece, what a line is to the contacts of a file, as vCard readers take it: an opening
/// line (it reads "BEGIN:VCARD" once trimmed of spaces and upper-cased), a closing line ("END:VCARD" the
/// same way), a blank line (nothing but spaces), or an AGENT property line with an empty value ("AGENT:",
/// "AGENT;TYPE=x:"), after which an opening line starts a card nested in the contact. A byte-order mark at
/// the line's start is ignored. Only a few bytes are held, so a line of any length can be tested.
class LineTest
{
public:
    /// Takes the next piece of the line; a first piece starts a new line.
    void feed(std::string_view piece, bool first);
    bool opening() const;
    bool closing() const;
    bool blank() const
    {
        return m_phase == Phase::Leading;
    }
    bool agent() const
    {
        return m_agent == Agent::Value;
    }
    /// True while the line read so far may still turn out an opening or a closing line: spaces, at most a
    /// short word, and spaces. What it holds then is the byte-order mark, the number of spaces before the
    /// word, the word and the number of spaces after it.
    bool undecided() const
    {
        return m_phase != Phase::Other;
    }
    bool marked() const
    {
        return m_marked;
    }
    std::uint64_t leadingSpaces() const
    {
        return m_leading;
    }
    const std::string& word() const
    {
        return m_word;
    }
    std::uint64_t trailingSpaces() const
    {
        return m_trailing;
    }

private:
    enum class Phase { Leading, Word, Trailing, Other };
    enum class Agent { Name, AfterName, Parameters, Value, No };
    void feedAgent(std::string_view piece);

    Phase m_phase = Phase::Leading;
    Agent m_agent = Agent::Name;
    std::size_t m_matched = 0;
    bool m_marked = false;
    std::uint64_t m_leading = 0;
    std::uint64_t m_trailing = 0;
    std::string m_word;
};

/// True when the whole line is an opening line (see LineTest).
bool isOpeningLine(std::string_view line);
/// True when the whole line is a closing line (see LineTest).
bool isClosingLine(std::string_view line);

} // namespace tessely

#endif
