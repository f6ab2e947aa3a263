#ifndef TESSELY_EXPORT_CONTACTENTRYREADER_H
#define TESSELY_EXPORT_CONTACTENTRYREADER_H

#include "ExportLineParser.h"
#include "KeyedHash.h"
#include "platform/LineReader.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tessely
{

/// How much of a file the export holds in memory. What is longer is read again from the file when it is
/// written, so lines, contacts and files of any size take the same memory.
struct ExportLimits {
    /// Field names up to this many bytes are held and compared as text; longer ones by their length and a
    /// keyed hash, and read again for the header.
    std::size_t nameBytes = 1024;
    /// Values (and continuation lines) up to this many bytes are held; a longer one is read again.
    std::size_t valueBytes = std::size_t { 1 } << 20;
    /// The bytes of cells one contact holds at most; beyond them, cells are read again.
    std::size_t rowBytes = std::size_t { 16 } << 20;
    /// The bytes of field names held at most; beyond them, names are kept by length and hash.
    std::size_t namesBytes = std::size_t { 16 } << 20;
    /// The line reader's buffer: longer lines are read in pieces.
    std::size_t readBuffer = std::size_t { 1 } << 16;
};

/// A field name or a value as the export has it: the text when it is held, else its length and, for a
/// field name, a keyed hash of it.
struct HeldText {
    std::string_view text;
    bool held = true;
    std::uint64_t length = 0;
    KeyedHash::Value hash {};
};

/// One step of reading a vCard file for the CSV table.
struct ContactEvent {
    enum class Kind {
        /// A line with a colon: `field` is the text before the first colon, `value` the text after it,
        /// both trimmed of spaces.
        Entry,
        /// A colon-less line that belongs to the end of the contact's last entry, glued on without a space.
        Continuation,
        /// The contact is complete: its "END:VCARD" line was read, or the file ended inside it.
        End,
    };
    Kind kind = Kind::End;
    HeldText field;
    /// The value of an entry, or the text of a continuation.
    HeldText value;
    /// Where the entry's line starts in the file, to read it again.
    std::uint64_t line = 0;
};

/// Reads the contacts of a vCard file as entries, one normalised line at a time, so that a table can be
/// built without holding the file. A contact starts at a line that reads "BEGIN:VCARD" once upper-cased and
/// trimmed, and ends at a line whose export normalisation reads "END:VCARD" (that line gives no entry), or
/// at the end of the file. Inside a contact a "BEGIN:VCARD" line is an ordinary entry; a colon-less line
/// before the contact's first entry and an empty line are dropped. Lines outside contacts are skipped. A
/// byte-order mark at the start of a line is ignored when it is tested for the contact's start or end.
class ContactEntryReader
{
public:
    /// With `values` false, the values of long lines are not gathered (the field names are all a first pass
    /// needs).
    ContactEntryReader(LineReader& reader, const ExportLimits& limits, const KeyedHash::Keys& keys, bool values);

    /// Reads up to the next event; false at the end of the file. The texts of `event` stay valid until the
    /// next call.
    bool next(ContactEvent& event);
    /// The number of contacts started so far.
    std::uint64_t contacts() const
    {
        return m_contacts;
    }
    /// The non-blank lines read outside any contact so far, opening lines not counted.
    std::uint64_t skippedLines() const
    {
        return m_skipped;
    }

private:
    /// What the pieces of one line too long to be held whole come to.
    class LongLine final : public ExportLineParser::Sink
    {
    public:
        LongLine(const ExportLimits& limits, const KeyedHash::Keys& keys);
        void start(bool values);
        void text(bool afterColon, std::string_view bytes) override;
        void spaces(bool afterColon, std::uint64_t count) override;

        std::string before;
        std::uint64_t beforeLength = 0;
        KeyedHash beforeHash;
        std::string after;
        std::uint64_t afterLength = 0;

    private:
        const ExportLimits& m_limits;
        const KeyedHash::Keys& m_keys;
        bool m_values = true;
    };

    /// Reads one line outside any contact; true for an opening line.
    bool readOutsideLine();
    /// Reads one line inside a contact into the event; false when it closes the contact or the file ends.
    bool readInsideLine(ContactEvent& event, bool& hasColon);
    void readLongLine(LinePiece& piece);
    void hold(HeldText& part, std::string_view text, std::size_t limit, bool hashed);

    LineReader& m_reader;
    const ExportLimits& m_limits;
    KeyedHash::Keys m_keys;
    bool m_values;
    std::string m_line;
    LongLine m_long;
    ExportLineParser m_parser;
    /// For a long line that starts with a byte-order mark: the line without it, to test for the closing line.
    std::string m_closing;
    std::uint64_t m_contacts = 0;
    std::uint64_t m_skipped = 0;
    bool m_inside = false;
    bool m_hasEntry = false;
};

/// Calls `visit` with the value of the entry whose line starts at `line`, as the export reads it: the text
/// after the first colon of the normalised line, then each colon-less line after it, up to the next line
/// with a colon or the end of the file. Reads the value in pieces, so it may be of any length.
void streamValue(LineReader& reader, std::uint64_t line, const std::function<void(std::string_view)>& visit);
/// Calls `visit` with the field name of the entry whose line starts at `line`.
void streamField(LineReader& reader, std::uint64_t line, const std::function<void(std::string_view)>& visit);

} // namespace tessely

#endif
