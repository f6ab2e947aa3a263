#ifndef TESSELY_EXPORT_CONTACTENTRYREADER_H
#define TESSELY_EXPORT_CONTACTENTRYREADER_H

#include "platform/LineReader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

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
    std::string_view field;
    /// The value of an entry, or the text of a continuation.
    std::string_view value;
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
    explicit ContactEntryReader(LineReader& reader);

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
    LineReader& m_reader;
    std::string m_storage;
    std::string m_line;
    std::uint64_t m_skipped = 0;
    std::uint64_t m_contacts = 0;
    bool m_inside = false;
    bool m_hasEntry = false;
};

} // namespace tessely

#endif
