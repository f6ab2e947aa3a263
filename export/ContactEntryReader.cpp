#include "ContactEntryReader.h"

#include "NormalizeExportLine.h"
#include "platform/Text.h"

namespace tessely
{
namespace
{

/// True when the line is a byte-order mark and then a line that closes a contact.
bool closesAfterMark(std::string_view raw)
{
    const std::string_view line = withoutByteOrderMark(raw);
    return line.size() != raw.size() && NormalizeExportLine(line) == "END:VCARD";
}

} // namespace

ContactEntryReader::ContactEntryReader(LineReader& reader)
    : m_reader(reader)
{
}

bool ContactEntryReader::next(ContactEvent& event)
{
    std::string_view raw;
    for (;;) {
        if (!m_inside) {
            if (!readWholeLine(m_reader, m_storage, raw))
                return false;
            if (isOpeningLine(raw)) {
                m_inside = true;
                m_hasEntry = false;
                ++m_contacts;
            } else if (!isBlankLine(raw)) {
                ++m_skipped;
            }
            continue;
        }
        // A file that ends inside a contact closes it there, so the contact still gets its row.
        const bool more = readWholeLine(m_reader, m_storage, raw);
        if (more)
            NormalizeExportLine(raw, m_line);
        if (!more || m_line == "END:VCARD" || closesAfterMark(raw)) {
            m_inside = false;
            event = { ContactEvent::Kind::End, {}, {} };
            return true;
        }
        const std::string_view line = m_line;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) {
            // With no entry yet there is nothing to glue the text to.
            if (!m_hasEntry || line.empty())
                continue;
            event = { ContactEvent::Kind::Continuation, {}, line };
            return true;
        }
        m_hasEntry = true;
        event = { ContactEvent::Kind::Entry, trimSpaces(line.substr(0, colon)), trimSpaces(line.substr(colon + 1)) };
        return true;
    }
}

} // namespace tessely
