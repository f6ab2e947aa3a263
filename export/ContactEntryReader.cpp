#include "ContactEntryReader.h"

#include "NormalizeExportLine.h"
#include "split/CountContacts.h"

#include <algorithm>

namespace tessely
{
namespace
{

constexpr std::string_view closingLine = "END:VCARD";

/// True when the whole line is a byte-order mark and then a line that closes a contact.
bool closesAfterMark(std::string_view raw)
{
    if (raw.substr(0, byteOrderMark.size()) != byteOrderMark)
        return false;
    return NormalizeExportLine(raw.substr(byteOrderMark.size())) == closingLine;
}

/// A sink that only lets the parser measure the line.
class Measure final : public ExportLineParser::Sink
{
public:
    void text(bool, std::string_view) override
    {
    }
    void spaces(bool, std::uint64_t) override
    {
    }
};

/// Hands on one part of a line, before or after its first colon, as bytes.
class PartVisitor final : public ExportLineParser::Sink
{
public:
    PartVisitor(bool afterColon, const std::function<void(std::string_view)>& visit)
        : m_afterColon(afterColon)
        , m_visit(visit)
    {
    }
    void text(bool afterColon, std::string_view bytes) override
    {
        if (afterColon == m_afterColon)
            m_visit(bytes);
    }
    void spaces(bool afterColon, std::uint64_t count) override
    {
        static const std::string run(4096, ' ');
        for (; afterColon == m_afterColon && count > 0;) {
            const std::size_t now = static_cast<std::size_t>(std::min<std::uint64_t>(count, run.size()));
            m_visit(std::string_view(run).substr(0, now));
            count -= now;
        }
    }

private:
    bool m_afterColon;
    const std::function<void(std::string_view)>& m_visit;
};

/// Reads the rest of a line given in pieces through `parser`, the first piece being `piece`.
void parseLongLine(LineReader& reader, LinePiece& piece, ExportLineParser& parser)
{
    parser.start();
    parser.feed(piece.text);
    while (!piece.last && reader.next(piece))
        parser.feed(piece.text);
    parser.finish();
}

bool isClosing(const ExportLineParser& parser)
{
    return parser.length() == closingLine.size() && parser.head() == closingLine;
}

/// Reads the line at the reader's place and hands on the part before (or after) its first colon; gives
/// true when the line has a colon.
bool visitLinePart(LineReader& reader, bool afterColon, const std::function<void(std::string_view)>& visit)
{
    LinePiece piece;
    if (!reader.next(piece))
        return false;
    if (piece.last) {
        const std::string line = NormalizeExportLine(piece.text);
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            if (!afterColon)
                visit(line);
            return false;
        }
        visit(trimSpaces(
            afterColon ? std::string_view(line).substr(colon + 1) : std::string_view(line).substr(0, colon)));
        return true;
    }
    PartVisitor sink(afterColon, visit);
    ExportLineParser parser(sink);
    parseLongLine(reader, piece, parser);
    return parser.hasColon();
}

} // namespace

ContactEntryReader::LongLine::LongLine(const ExportLimits& limits, const KeyedHash::Keys& keys)
    : beforeHash(keys)
    , m_limits(limits)
    , m_keys(keys)
{
}

void ContactEntryReader::LongLine::start(bool values)
{
    before.clear();
    beforeLength = 0;
    beforeHash = KeyedHash(m_keys);
    after.clear();
    afterLength = 0;
    m_values = values;
}

void ContactEntryReader::LongLine::text(bool afterColon, std::string_view bytes)
{
    if (!afterColon) {
        // All of a colon-less line is before its colon: it may be a continuation, held like a value.
        beforeLength += bytes.size();
        beforeHash.add(bytes);
        const std::size_t limit = std::max(m_limits.nameBytes, m_limits.valueBytes);
        if (before.size() < limit)
            before.append(bytes.substr(0, limit - before.size()));
    } else {
        afterLength += bytes.size();
        if (m_values && after.size() < m_limits.valueBytes)
            after.append(bytes.substr(0, m_limits.valueBytes - after.size()));
    }
}

void ContactEntryReader::LongLine::spaces(bool afterColon, std::uint64_t count)
{
    const std::size_t room = afterColon
        ? (m_values ? m_limits.valueBytes - std::min(after.size(), m_limits.valueBytes) : 0)
        : std::max(m_limits.nameBytes, m_limits.valueBytes) - before.size();
    const std::size_t held = static_cast<std::size_t>(std::min<std::uint64_t>(count, room));
    if (!afterColon) {
        beforeLength += count;
        beforeHash.addSpaces(count);
        before.append(held, ' ');
    } else {
        afterLength += count;
        after.append(held, ' ');
    }
}

ContactEntryReader::ContactEntryReader(
    LineReader& reader, const ExportLimits& limits, const KeyedHash::Keys& keys, bool values)
    : m_reader(reader)
    , m_limits(limits)
    , m_keys(keys)
    , m_values(values)
    , m_long(limits, m_keys)
    , m_parser(m_long)
{
}

bool ContactEntryReader::next(ContactEvent& event)
{
    for (;;) {
        if (!m_inside) {
            if (m_reader.atEnd())
                return false;
            if (readOutsideContact(m_reader, m_skipped)) {
                m_inside = true;
                m_hasEntry = false;
                ++m_contacts;
            }
            continue;
        }
        // A file that ends inside a contact closes it there, so the contact still gets its row.
        bool hasColon = false;
        if (!readInsideLine(event, hasColon)) {
            m_inside = false;
            event.kind = ContactEvent::Kind::End;
            return true;
        }
        if (!hasColon) {
            // With no entry yet there is nothing to glue the text to.
            if (!m_hasEntry || event.value.length == 0)
                continue;
            event.kind = ContactEvent::Kind::Continuation;
            return true;
        }
        m_hasEntry = true;
        event.kind = ContactEvent::Kind::Entry;
        return true;
    }
}

void ContactEntryReader::hold(HeldText& part, std::string_view text, std::size_t limit, bool hashed)
{
    part.length = text.size();
    part.held = text.size() <= limit;
    part.text = part.held ? text : std::string_view();
    if (!part.held && hashed) {
        KeyedHash hash(m_keys);
        hash.add(text);
        part.hash = hash.value();
    }
}

bool ContactEntryReader::readInsideLine(ContactEvent& event, bool& hasColon)
{
    LinePiece piece;
    if (!m_reader.next(piece))
        return false;
    event.line = m_reader.lineStart();
    event.field = {};
    if (!piece.last) {
        readLongLine(piece);
        if (isClosing(m_parser) || m_closing == closingLine)
            return false;
        hasColon = m_parser.hasColon();
        if (!hasColon) {
            event.value = { m_long.before, m_long.beforeLength <= m_limits.valueBytes, m_long.beforeLength, {} };
            if (!event.value.held)
                event.value.text = {};
            return true;
        }
        event.field.length = m_long.beforeLength;
        event.field.held = m_long.beforeLength <= m_limits.nameBytes;
        if (event.field.held)
            event.field.text = m_long.before;
        else
            event.field.hash = m_long.beforeHash.value();
        event.value.length = m_long.afterLength;
        event.value.held = m_values && m_long.afterLength <= m_limits.valueBytes;
        event.value.text = event.value.held ? std::string_view(m_long.after) : std::string_view();
        return true;
    }
    const std::string_view raw = piece.text;
    if (!m_values) {
        // The names alone: only the text before the first colon is normalised, and a colon-less line,
        // which is no entry and cannot close the contact, is not normalised at all.
        const auto colon = raw.find(':');
        if (colon == std::string_view::npos) {
            event.value = {};
            return true;
        }
        const std::string_view field = normalizeExportLineInto(raw.substr(0, colon), m_line);
        if ((field == "END" && NormalizeExportLine(raw) == closingLine) || closesAfterMark(raw))
            return false;
        hasColon = true;
        hold(event.field, field, m_limits.nameBytes, true);
        event.value = {};
        return true;
    }
    const std::string_view line = normalizeExportLineInto(raw, m_line);
    if (line == closingLine || closesAfterMark(raw))
        return false;
    const auto colon = line.find(':');
    hasColon = colon != std::string_view::npos;
    if (!hasColon) {
        hold(event.value, line, m_limits.valueBytes, false);
        return true;
    }
    hold(event.field, trimSpaces(line.substr(0, colon)), m_limits.nameBytes, true);
    hold(event.value, trimSpaces(line.substr(colon + 1)), m_limits.valueBytes, false);
    return true;
}

void ContactEntryReader::readLongLine(LinePiece& piece)
{
    m_long.start(m_values);
    m_closing.clear();
    m_parser.start();
    // A line that starts with a byte-order mark closes the contact when the rest of it would.
    Measure measure;
    ExportLineParser withoutMark(measure);
    const bool marked = withoutByteOrderMark(piece.text).size() != piece.text.size();
    withoutMark.start();
    withoutMark.feed(withoutByteOrderMark(piece.text));
    m_parser.feed(piece.text);
    while (!piece.last && m_reader.next(piece)) {
        m_parser.feed(piece.text);
        if (marked)
            withoutMark.feed(piece.text);
    }
    m_parser.finish();
    withoutMark.finish();
    if (marked && isClosing(withoutMark))
        m_closing = closingLine;
}

void streamValue(LineReader& reader, std::uint64_t line, const std::function<void(std::string_view)>& visit)
{
    reader.seekLine(line);
    visitLinePart(reader, true, visit);
    // The colon-less lines after the entry belong to its value; an empty one adds nothing.
    for (;;) {
        const std::uint64_t start = reader.linePosition();
        LinePiece piece;
        if (!reader.next(piece))
            return;
        if (piece.last) {
            const std::string text = NormalizeExportLine(piece.text);
            if (text.find(':') != std::string::npos)
                return;
            visit(text);
            continue;
        }
        // A long line: first find out whether it has a colon, then read it again for its text.
        Measure measure;
        ExportLineParser parser(measure);
        parseLongLine(reader, piece, parser);
        if (parser.hasColon())
            return;
        const std::uint64_t next = reader.linePosition();
        reader.seekLine(start);
        visitLinePart(reader, false, visit);
        reader.seekLine(next);
    }
}

void streamField(LineReader& reader, std::uint64_t line, const std::function<void(std::string_view)>& visit)
{
    reader.seekLine(line);
    visitLinePart(reader, false, visit);
}

} // namespace tessely
