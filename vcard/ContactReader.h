#ifndef TESSELY_VCARD_CONTACTREADER_H
#define TESSELY_VCARD_CONTACTREADER_H

#include "platform/JobHost.h"
#include "platform/LineReader.h"

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
    /// short word, and spaces.
    bool undecided() const
    {
        return m_phase != Phase::Other;
    }

    /// What an undecided line holds: whether it starts with a byte-order mark, the spaces before the word,
    /// the word, and the spaces after it.
    struct Held {
        bool marked = false;
        std::uint64_t leading = 0;
        std::string word;
        std::uint64_t trailing = 0;
    } held;

private:
    enum class Phase { Leading, Word, Trailing, Other };
    enum class Agent { Name, AfterName, Parameters, Value, No };
    void feedAgent(std::string_view piece);

    Phase m_phase = Phase::Leading;
    Agent m_agent = Agent::Name;
    std::size_t m_matched = 0;
};

/// The part a line plays in the contacts of a file.
enum class LineRole : unsigned char {
    /// A line outside any contact.
    Outside,
    /// The line that opens a contact.
    Opening,
    /// A line of the contact: a property, or the folded continuation of one (it starts with a space or a tab).
    Property,
    /// A line of a card nested in the contact after an AGENT property, its own opening and closing lines included.
    Nested,
    /// The line that closes the contact; for a contact that the file leaves open, a piece without text.
    Closing,
};

/// A piece of a line, as the line reader gives it, and the part its line plays.
struct ContactPiece {
    std::string_view text;
    bool first = true;
    bool last = true;
    LineRole role = LineRole::Outside;
    /// For the closing piece of a contact that the file leaves open (it ends inside the contact, or another
    /// contact opens in it): the cards left open, the contact and those nested in it. 0 for a closing line.
    std::uint64_t openCards = 0;
};

/// The ways of looking for the line ends of many lines at once: sixteen bytes compared at a time, or 32 on a
/// processor that has AVX2.
enum class LineScan { Narrow, Wide };
/// The fastest way this processor has.
LineScan fastestLineScan();
/// The size of the longest run of whole lines at the start of `text` that each end in CR LF and can be no
/// opening, closing or AGENT line; `lastLine` is where the last of them starts. Every way gives the same; a way
/// the processor does not have is taken as the narrow one.
std::size_t plainLines(std::string_view text, std::size_t& lastLine, LineScan scan);

/// Whole lines of a contact, as `ContactReader::nextLines` gives them.
struct LineRun {
    std::string_view text;
    /// The run starts with the line that opens the contact.
    bool opens = false;
    /// The run ends with the line that closes the contact.
    bool closes = false;
};

/// True for the first piece of a line that continues the line before it: it starts with a space or a tab.
inline bool isFolded(const ContactPiece& piece)
{
    return piece.first && !piece.text.empty() && (piece.text.front() == ' ' || piece.text.front() == '\t');
}

/// Reads the contacts of a text file; the one place that says what a contact is:
/// - a contact opens at an opening line read outside any contact and ends at the next closing line;
/// - an opening line right after an AGENT property line with an empty value opens a card nested in the
///   contact, up to its own closing line, and nesting may repeat: the nested card is one property of the
///   contact;
/// - any other opening line inside a contact ends the contact, with the cards nested in it, and opens the
///   next one; the end of the file ends the contact it leaves open;
/// - a line that starts with a space or a tab continues the one before it (folding); it comes as it is, a
///   property line, for the job to unfold.
/// Lines come in pieces, so no line is held whole: a line that may still be an opening or closing line is
/// held back, in a few bytes, until that is known. About every 64 KiB of input the reader asks the host
/// whether the user asked to stop, and ends there when so.
class ContactReader
{
public:
    /// With `inside`, reading starts inside a contact, to read its lines again from a line start in it.
    explicit ContactReader(LineReader& lines, JobHost* host = nullptr, bool inside = false);

    /// The next piece, its text valid until the next call; false at the end of the file or on a stop.
    bool next(ContactPiece& piece);
    /// Between two lines: the longest run of whole lines from there on, as they are in the file with their line
    /// ends, that each end in CR LF and are the lines of one contact that a job may copy as they are: the
    /// contact's opening line when it reads exactly "BEGIN:VCARD", lines that can be no opening, closing or
    /// AGENT line, and the contact's closing line when it reads exactly "END:VCARD". False, with nothing read,
    /// where no such line comes next, already read: the next line then comes from `next`.
    bool nextLines(LineRun& run);
    /// The contacts opened so far.
    std::uint64_t contacts() const
    {
        return m_contacts;
    }
    /// The non-blank lines read outside any contact so far, opening lines not counted.
    std::uint64_t skippedLines() const
    {
        return m_skipped;
    }
    /// True when reading ended because the user asked to stop.
    bool stopped() const
    {
        return m_stopped;
    }
    /// False when the line after the last piece, a whole line, is known not to start with a space or a tab,
    /// and so cannot continue it.
    bool mayBeFolded() const
    {
        const int next = m_stage == Stage::None ? m_lines.peekNextLine() : -1;
        return next < 0 || next == ' ' || next == '\t';
    }
    /// Where the line of the last piece starts in the file.
    std::uint64_t lineStart() const
    {
        return m_lines.lineStart();
    }

private:
    /// What is still to come of a line held back: the end of the contact it cut short, its start as held,
    /// and the piece that decided it.
    enum class Stage { None, Closing, Mark, Leading, Word, Trailing, Current };

    bool read(LinePiece& piece);
    /// Gives the part of a whole line that cannot be an opening, closing or AGENT line; false for any other.
    bool plainLine(std::string_view line);
    void decide();
    void lineEnded();
    bool replay(ContactPiece& piece);
    void emit(ContactPiece& piece, std::string_view text);

    LineReader& m_lines;
    JobHost* m_host;
    bool m_inside;
    std::uint64_t m_depth = 0;
    bool m_afterAgent = false;
    LineRole m_role = LineRole::Outside;
    LineTest m_test;
    /// The line's start as it was before its deciding piece.
    LineTest::Held m_held;
    bool m_holding = false;
    Stage m_stage = Stage::None;
    LinePiece m_current;
    bool m_replayed = false;
    std::uint64_t m_spaces = 0;
    std::uint64_t m_openCards = 0;
    std::uint64_t m_contacts = 0;
    std::uint64_t m_skipped = 0;
    std::uint64_t m_sinceCheck = 0;
    bool m_stopped = false;
};

} // namespace tessely

#endif
