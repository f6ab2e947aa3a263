#ifndef TESSELY_VCARD_NAMEFROMCONTACT_H
#define TESSELY_VCARD_NAMEFROMCONTACT_H

#include "platform/Text.h"

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
/// colon is cleaned: characters that no file name may hold are removed (`: \ / ? " * < >`, control
/// characters of the C1 range and the bidirectional formatting characters, which would make a name show as
/// another), separators (`; _ , |`) and C0 control characters become spaces, runs of spaces are shortened
/// (four sweeps, of five, four, three and two spaces), and spaces are trimmed. A structured name then has its
/// first word moved to the end and an e-mail address is cut before its "@". Dots, dashes and spaces at the
/// start of the result are removed, so no name gives a hidden file or reads as an option, and a name that is
/// not valid UTF-8 is read as Windows-1252 and given in UTF-8.
class NameFromContact
{
public:
    /// Starts a new contact.
    void start();
    /// Takes the next piece of the contact's property lines (those after its opening line).
    void feed(std::string_view piece, bool first, bool last);
    /// Ends the line being read without taking the next one: a line that is no property of the contact (a
    /// line of a nested card) stands here, and the folded lines after it continue it, not the property.
    void skipLine();
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
        /// Ends the value: what was held back to see whether cleaning removes it counts now.
        void finish();
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
            Utf8Check check;
            explicit Kept(bool stripLeading = false)
                : strip(stripLeading)
                , stripping(stripLeading)
            {
            }
            void reset()
            {
                bytes.clear();
                stripping = strip;
                check = {};
            }
            void addByte(char c);
            void addSpaces(std::uint64_t count);
        };
        void classify(char c);
        void onByte(char c);
        void onSpaces(std::uint64_t count);

        Step m_step;
        /// The start of a character that cleaning may remove, waiting for the bytes that tell.
        std::string m_sequence;
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
