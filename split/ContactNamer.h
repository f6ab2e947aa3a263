#ifndef TESSELY_SPLIT_CONTACTNAMER_H
#define TESSELY_SPLIT_CONTACTNAMER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// A name is never longer than this many bytes: more than a file name can hold, so that cutting it to fit a
/// path gives what cutting the whole name would.
inline constexpr std::size_t longestNameKept = 1024;

/// Finds a contact's file-name stem while the contact is read, piece by piece, keeping only what the name
/// needs, so a contact of any size, with name lines of any length, takes a few kilobytes.
///
/// The name comes from the first usable "FN:", "N:", "TITLE:" or "EMAIL" line, in that order of precedence,
/// a line being read together with its folded continuation lines (a following line that starts with a
/// space or a tab continues it, without the line break and that one character). The value after the first
/// colon is cleaned (`CleanFileName`); a structured name has its first word moved to the end and an e-mail
/// address is cut before its "@". Dots and spaces at the start of the result are removed, so no name gives
/// a hidden file, and a name that is not valid UTF-8 is read as Windows-1252 and given in UTF-8.
class ContactNamer
{
public:
    /// Starts a new contact.
    void start();
    /// Takes the next piece of the contact's lines (those after its opening line, the closing line included).
    void feed(std::string_view piece, bool first, bool last);
    /// The contact's name: empty when the contact gives none. At most `longestNameKept` bytes.
    std::string name();

    /// The cleaned text of one value, built as the value streams past: what each kind of name needs of it.
    class Value
    {
    public:
        enum class Step { None, Reorder, LocalPart };
        explicit Value(Step step = Step::None);
        /// Starts a new value, keeping the memory of the last one.
        void reset(Step step);
        void add(std::string_view bytes);
        /// True when the cleaned value holds any text.
        bool usable() const
        {
            return m_started;
        }
        /// The name the value gives.
        std::string name() const;

    private:
        /// Keeps the first bytes of a text and whether it was valid UTF-8 as a whole.
        struct Kept {
            std::string bytes;
            bool strip = false;
            bool stripping = false;
            unsigned pending = 0; // continuation bytes the current character still needs
            unsigned char low = 0x80, high = 0xBF; // the range of the next continuation byte
            bool valid = true;
            explicit Kept(bool stripLeading = false)
                : strip(stripLeading)
                , stripping(stripLeading)
            {
            }
            void reset()
            {
                bytes.clear();
                stripping = strip;
                pending = 0;
                low = 0x80;
                high = 0xBF;
                valid = true;
            }
            void addByte(char c);
            void addSpaces(std::uint64_t count);
            /// Valid when nothing is left half-way.
            bool wholeValid() const
            {
                return valid && pending == 0;
            }
        };
        void onByte(char c);
        void onSpaces(std::uint64_t count);

        Step m_step;
        bool m_started = false;
        std::uint64_t m_run = 0;
        // Step::None and Step::LocalPart: the text with its leading dots and spaces left out, up to the "@".
        Kept m_text { true };
        bool m_atSeen = false;
        std::uint64_t m_pendingSpaces = 0;
        // Step::Reorder: the first word, as it is and without leading dots, and the text after the first run
        // of spaces without leading dots and spaces.
        bool m_inFirstWord = true;
        Kept m_word;
        Kept m_wordStripped { true };
        Kept m_rest { true };
    };

private:
    void endLogicalLine();
    void decide();
    void addToLine(std::string_view bytes);

    enum class Line { None, Collecting, Ignored, Matched };
    Line m_line = Line::None;
    std::size_t m_pass = 0;
    /// The first bytes of a logical line, until they tell which field it is.
    std::string m_head;
    std::string m_decided;
    bool m_colonSeen = false;
    Value m_value;
    /// For "EMAIL" lines: the whole line, in case it has no colon.
    Value m_wholeLine;
    std::array<bool, 4> m_found {};
    std::array<std::string, 4> m_names;
    /// The earliest pass that found a name; no line can change the result once pass 0 has one.
    std::size_t m_best = 4;
};

} // namespace tessely

#endif
