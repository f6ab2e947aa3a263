#ifndef TESSELY_EXPORT_CONTACTENTRYREADER_H
#define TESSELY_EXPORT_CONTACTENTRYREADER_H

#include "KeyedHash.h"
#include "NormalizeExportLine.h"
#include "platform/JobHost.h"
#include "platform/LineReader.h"
#include "platform/Text.h"
#include "vcard/ContactReader.h"

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
    /// Values (and continuation lines) up to this many bytes are held; a longer one is read again. Lines of
    /// this many bytes are held whole while they are read, to see whether they are UTF-8.
    std::size_t valueBytes = std::size_t { 1 } << 20;
    /// The bytes of cells one contact holds at most; beyond them, cells are read again.
    std::size_t rowBytes = std::size_t { 16 } << 20;
    /// The bytes of field names held at most; beyond them, names are kept by length and hash.
    std::size_t namesBytes = std::size_t { 16 } << 20;
    /// The line reader's buffer: longer lines are read in pieces.
    std::size_t readBuffer = std::size_t { 1 } << 16;
};

/// A field name or a value as the export has it: the text when it is held, else its length and, for a
/// field name, a keyed hash of it. A held field name is known by its text alone.
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
        /// The contact is complete.
        End,
    };
    Kind kind = Kind::End;
    HeldText field;
    /// The value of an entry, or the text of a continuation.
    HeldText value;
    /// Where the entry's line starts in the file, to read it again.
    std::uint64_t line = 0;
};

/// Reads the contacts of a vCard file (see ContactReader) as entries, so that a table can be built without
/// holding the file. A line folded after another continues it: the line break and the one space or tab that
/// starts the folded line are removed. The line, unfolded, is read as Windows-1252 when it is not valid UTF-8,
/// then normalised (see NormalizeExportLine). A line with a colon is an entry; a colon-less line is glued to
/// the contact's last entry, or dropped when there is none, or when it is empty. The lines of cards nested in
/// a contact give no entries.
class ContactEntryReader
{
public:
    /// With `values` false, only the field names are read (all that a first pass needs).
    ContactEntryReader(
        LineReader& lines, JobHost& host, const ExportLimits& limits, const KeyedHash::Keys& keys, bool values);

    /// Reads up to the next event; false at the end of the file, or when the user asked to stop. The texts
    /// of `event` stay valid until the next call.
    bool next(ContactEvent& event);
    /// The contact reader underneath: the contacts started and the lines skipped so far, and whether the
    /// user asked to stop.
    const ContactReader& contacts() const
    {
        return m_contacts;
    }

    /// What a line's two parts come to: the text when short enough, the length, and for a long field name
    /// a keyed hash.
    class Parts final : public NormalizeExportLine::Sink
    {
    public:
        Parts(const ExportLimits& limits, const KeyedHash::Keys& keys);
        /// Starts a line; with `whole`, the line is normalised in one piece, whose texts stay valid while
        /// they are needed and are not copied.
        void start(bool whole);
        void text(bool value, std::string_view bytes) override;
        /// Takes a line normalised whole: its two parts, each as one text, as the normaliser hands them on.
        void whole(std::string_view field, std::string_view value);
        HeldText field() const;
        HeldText value() const;
        /// The text of a colon-less line.
        HeldText continuation() const;

    private:
        /// The first bytes of a part, up to a limit, in the normaliser's text or a copy of them.
        struct Part {
            std::string copy;
            std::string_view text;
            std::uint64_t length = 0;
            void add(std::string_view bytes, std::size_t limit, bool whole);
            /// The part as a text held while it is at most `limit` bytes long.
            HeldText held(std::size_t limit) const
            {
                return { length <= limit ? text : std::string_view(), length <= limit, length, {} };
            }
        };

        const ExportLimits& m_limits;
        const KeyedHash::Keys& m_keys;
        bool m_whole = false;
        Part m_field;
        KeyedHash m_hash;
        bool m_hashing = false;
        Part m_value;
    };

private:
    /// A line's normalisation and what it comes to.
    struct Reading {
        Parts parts;
        NormalizeExportLine line { parts };
    };
    void addToLine(std::string_view bytes);
    bool endLine(std::string_view raw, ContactEvent& event);

    ContactReader m_contacts;
    const ExportLimits& m_limits;
    KeyedHash::Keys m_keys;
    bool m_values;
    ContactPiece m_piece;
    bool m_waiting = false;
    bool m_inLine = false;
    bool m_ignored = false;
    bool m_hasEntry = false;
    std::uint64_t m_lineStart = 0;
    /// The unfolded line while it is short; a longer one is normalised both ways as it comes.
    std::string m_raw;
    bool m_streaming = false;
    Utf8Check m_check;
    Reading m_utf8;
    Reading m_windows1252;
};

/// Calls `visit` with the value of the entry whose line starts at `line`, as the export reads it: the text
/// after the first colon of the unfolded, normalised line, then the text of each colon-less line after it,
/// up to the next line with a colon or the contact's end. Reads it in pieces, so it may be of any length.
void streamValue(
    LineReader& lines, JobHost& host, std::uint64_t line, const std::function<void(std::string_view)>& visit);
/// Calls `visit` with the field name of the entry whose line starts at `line`.
void streamField(
    LineReader& lines, JobHost& host, std::uint64_t line, const std::function<void(std::string_view)>& visit);

} // namespace tessely

#endif
