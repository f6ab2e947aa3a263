#include "ContactEntryReader.h"

#include <algorithm>
#include <limits>

namespace tessely
{
namespace
{

using Visit = std::function<void(std::string_view)>;

constexpr std::uint64_t noLine = std::numeric_limits<std::uint64_t>::max();

/// Hands on one part of a line, before or after its first colon, as bytes.
class PartVisitor final : public NormalizeExportLine::Sink
{
public:
    PartVisitor(bool value, const Visit& visit)
        : m_value(value)
        , m_visit(visit)
    {
    }
    void text(bool value, std::string_view bytes) override
    {
        if (value == m_value)
            m_visit(bytes);
    }

private:
    bool m_value;
    const Visit& m_visit;
};

/// Reads again the property line that starts at `start` and the lines folded after it, handing `take` each
/// piece, a folded line without its first character. Gives false when no property line starts there; sets
/// `next` to the start of the property line after it (`noLine` when the contact's property lines end).
bool readLine(LineReader& lines, JobHost& host, std::uint64_t start, const Visit& take, std::uint64_t& next)
{
    lines.seekLine(start);
    ContactReader contacts(lines, &host, true);
    ContactPiece piece;
    bool any = false;
    next = noLine;
    while (contacts.next(piece)) {
        const bool folded = any && piece.role == LineRole::Property && isFolded(piece);
        if (piece.first && !folded && (any || piece.role != LineRole::Property)) {
            next = any && piece.role == LineRole::Property ? contacts.lineStart() : noLine;
            return any;
        }
        take(folded ? piece.text.substr(1) : piece.text);
        any = true;
    }
    return any;
}

/// Reads again the line that starts at `start`, unfolded, and hands `visit` its normalised value (or its
/// field name); gives false, visiting nothing, when that line has a colon and `colon` is false, or has none
/// and `colon` is true.
bool visitLine(LineReader& lines,
    JobHost& host,
    std::uint64_t start,
    bool colon,
    bool value,
    const Visit& visit,
    std::uint64_t& next)
{
    // First whether the line is UTF-8 and has a colon, then the line itself.
    Utf8Check check;
    bool hasColon = false;
    const auto scan = [&](std::string_view bytes) {
        check.add(bytes);
        hasColon = hasColon || bytes.find(':') != std::string_view::npos;
    };
    if (!readLine(lines, host, start, scan, next) || hasColon != colon)
        return false;
    PartVisitor sink(value, visit);
    NormalizeExportLine line(sink);
    line.start(!check.valid(), value);
    readLine(
        lines, host, start, [&](std::string_view bytes) { line.feed(bytes); }, next);
    line.finish();
    return true;
}

} // namespace

ContactEntryReader::Parts::Parts(const ExportLimits& limits, const KeyedHash::Keys& keys)
    : m_limits(limits)
    , m_keys(keys)
    , m_hash(keys)
{
}

void ContactEntryReader::Parts::start(bool whole)
{
    m_whole = whole;
    m_hashing = false;
    for (Part* part : { &m_field, &m_value }) {
        part->copy.clear();
        part->text = {};
        part->length = 0;
    }
}

void ContactEntryReader::Parts::Part::add(std::string_view bytes, std::size_t limit, bool whole)
{
    const std::size_t room = limit - std::min(text.size(), limit);
    if (whole && length == 0) {
        text = bytes.substr(0, room);
    } else {
        if (text.data() != copy.data())
            copy.assign(text);
        copy.append(bytes.substr(0, room));
        text = copy;
    }
    length += bytes.size();
}

void ContactEntryReader::Parts::text(bool value, std::string_view bytes)
{
    if (value) {
        m_value.add(bytes, m_limits.valueBytes, m_whole);
        return;
    }
    // A long field name is known by its hash, made from the bytes held so far, all of it until then.
    if (!m_hashing && m_field.length + bytes.size() > m_limits.nameBytes) {
        m_hashing = true;
        m_hash = KeyedHash(m_keys);
        m_hash.add(m_field.text);
    }
    if (m_hashing)
        m_hash.add(bytes);
    // All of a colon-less line is before its colon: it may be a continuation, held like a value.
    m_field.add(bytes, std::max(m_limits.nameBytes, m_limits.valueBytes), m_whole);
}

void ContactEntryReader::Parts::whole(std::string_view field, std::string_view value)
{
    // The normaliser hands on no empty text.
    start(true);
    if (!field.empty())
        text(false, field);
    if (!value.empty())
        text(true, value);
}

HeldText ContactEntryReader::Parts::field() const
{
    return m_field.length <= m_limits.nameBytes ? m_field.held(m_limits.nameBytes)
                                                : HeldText { {}, false, m_field.length, m_hash.value() };
}

HeldText ContactEntryReader::Parts::value() const
{
    return m_value.held(m_limits.valueBytes);
}

HeldText ContactEntryReader::Parts::continuation() const
{
    return m_field.held(m_limits.valueBytes);
}

ContactEntryReader::ContactEntryReader(
    LineReader& lines, JobHost& host, const ExportLimits& limits, const KeyedHash::Keys& keys, bool values)
    : m_contacts(lines, &host)
    , m_limits(limits)
    , m_keys(keys)
    , m_values(values)
    , m_utf8 { Parts(limits, m_keys) }
    , m_windows1252 { Parts(limits, m_keys) }
{
}

bool ContactEntryReader::next(ContactEvent& event)
{
    for (;;) {
        if (!m_waiting && !m_contacts.next(m_piece))
            return false;
        m_waiting = false;
        const ContactPiece& piece = m_piece;
        const bool property = piece.role == LineRole::Property;
        if (m_inLine && property && (!piece.first || isFolded(piece))) {
            addToLine(piece.first ? piece.text.substr(1) : piece.text);
            continue;
        }
        if (m_inLine) {
            // The piece starts the next line: it waits while the line before it is handed on.
            m_inLine = false;
            m_waiting = true;
            if (!m_ignored && endLine(m_raw, event))
                return true;
            continue;
        }
        switch (piece.role) {
        case LineRole::Property:
            // A folded line that continues no property (it follows the opening line, or a nested card) is
            // dropped with the lines folded after it.
            m_ignored = isFolded(piece);
            m_lineStart = m_contacts.lineStart();
            m_raw.clear();
            m_streaming = false;
            // Only the field names wanted: a short field name in ASCII is known at its colon, and the rest of the
            // line, folded lines included, is skipped.
            if (std::string_view name;
                !m_ignored && !m_values && m_utf8.line.asciiName(piece.text, m_limits.nameBytes, name)) {
                m_inLine = !piece.last || m_contacts.mayBeFolded();
                m_ignored = m_hasEntry = true;
                event = { ContactEvent::Kind::Entry, { name, true, name.size(), {} }, {}, m_lineStart };
                return true;
            }
            // A whole line that no folded line can follow is read at once, where it stands.
            if (!m_ignored && piece.last && !m_contacts.mayBeFolded()) {
                if (endLine(piece.text, event))
                    return true;
                break;
            }
            m_inLine = true;
            addToLine(piece.text);
            break;
        case LineRole::Opening:
        case LineRole::Nested:
            // Nothing is glued to an entry across a nested card.
            m_hasEntry = false;
            break;
        case LineRole::Closing:
            if (piece.last) {
                event.kind = ContactEvent::Kind::End;
                return true;
            }
            break;
        case LineRole::Outside:
            break;
        }
    }
}

void ContactEntryReader::addToLine(std::string_view bytes)
{
    if (m_ignored)
        return;
    if (!m_streaming) {
        m_raw.append(bytes);
        if (m_raw.size() <= m_limits.valueBytes)
            return;
        // Too long to hold: it is normalised both ways as it comes, until it is known which one it is.
        m_streaming = true;
        m_check = {};
        for (Reading* reading : { &m_utf8, &m_windows1252 }) {
            reading->parts.start(false);
            reading->line.start(reading == &m_windows1252, m_values);
        }
        bytes = m_raw;
    }
    m_check.add(bytes);
    m_utf8.line.feed(bytes);
    m_windows1252.line.feed(bytes);
    m_raw.clear();
}

bool ContactEntryReader::endLine(std::string_view raw, ContactEvent& event)
{
    Reading* reading = &m_utf8;
    if (m_streaming) {
        m_utf8.line.finish();
        m_windows1252.line.finish();
        reading = m_check.valid() ? &m_utf8 : &m_windows1252;
    } else {
        // Read as UTF-8, and once more as Windows-1252 when it is not UTF-8.
        bool windows1252 = false;
        for (;;) {
            reading = windows1252 ? &m_windows1252 : &m_utf8;
            reading->line.start(windows1252, m_values);
            std::string_view field;
            std::string_view value;
            reading->line.whole(raw, field, value);
            reading->parts.whole(field, value);
            if (windows1252 || !reading->line.beyondAscii() || isValidUtf8(raw))
                break;
            windows1252 = true;
        }
    }
    event.line = m_lineStart;
    if (reading->line.hasColon()) {
        event.kind = ContactEvent::Kind::Entry;
        event.field = reading->parts.field();
        event.value = reading->parts.value();
        m_hasEntry = true;
        return true;
    }
    event.kind = ContactEvent::Kind::Continuation;
    event.value = reading->parts.continuation();
    // With no entry yet there is nothing to glue the text to; an empty line adds nothing.
    return m_hasEntry && event.value.length > 0;
}

void streamValue(LineReader& lines, JobHost& host, std::uint64_t line, const Visit& visit)
{
    // The entry's value, then the text of each colon-less line after it.
    std::uint64_t next = line;
    for (bool first = true; next != noLine && visitLine(lines, host, next, first, first, visit, next); first = false) {
    }
}

void streamField(LineReader& lines, JobHost& host, std::uint64_t line, const Visit& visit)
{
    std::uint64_t next = noLine;
    visitLine(lines, host, line, true, false, visit, next);
}

} // namespace tessely
