#include "ContactNamer.h"

#include "platform/Text.h"

#include <algorithm>

namespace tessely
{
namespace
{

/// The passes in order of precedence; a usable line of an earlier pass beats every line of a later one.
/// The "EMAIL" prefix has no colon, so the line may carry parameters ("EMAIL;TYPE=INTERNET:").
constexpr std::string_view prefixes[] = { "FN:", "N:", "TITLE:", "EMAIL" };
constexpr ContactNamer::Value::Step steps[] = {
    ContactNamer::Value::Step::None,
    ContactNamer::Value::Step::Reorder,
    ContactNamer::Value::Step::None,
    ContactNamer::Value::Step::LocalPart,
};
constexpr std::size_t emailPass = 3;
constexpr std::size_t passCount = 4;
/// Enough bytes for the longest prefix, six characters of up to four bytes.
constexpr std::size_t headBytes = 24;
/// The bytes kept of each part of a name: a character more than a name keeps, so that cutting the name at a
/// character boundary sees the whole character there.
constexpr std::size_t keptBytes = longestNameKept + 4;

enum class ByteClass : unsigned char { Keep, Remove, Space };

/// What cleaning does with each byte: characters that cannot stand in a file name on any common file system
/// go, separators between name parts and control characters become spaces.
struct ByteClasses {
    ByteClass of[256] {};
    constexpr ByteClasses()
    {
        for (const char c : { ':', '\\', '/', '?', '"', '*', '<', '>' })
            of[static_cast<unsigned char>(c)] = ByteClass::Remove;
        for (const char c : { ';', '_', ',', '|', ' ' })
            of[static_cast<unsigned char>(c)] = ByteClass::Space;
        for (unsigned c = 0; c < 32; ++c)
            of[c] = ByteClass::Space;
    }
};
constexpr ByteClasses byteClasses;

/// What the four sweeps of cleaning (runs of five, four, three, then two spaces each become one) leave of a
/// run of `run` spaces: each sweep replaces the run's whole groups and keeps the rest.
std::uint64_t collapsedRun(std::uint64_t run)
{
    for (const std::uint64_t group : { 5, 4, 3, 2 })
        run = run / group + run % group;
    return run;
}

/// True when `head`, upper-cased, begins with `prefix`: compared byte by byte while the bytes are ASCII,
/// through the Unicode table otherwise.
bool startsWithUpperCased(std::string_view head, std::string_view prefix, std::string& scratch)
{
    // Every character takes at least one byte.
    if (head.size() < prefix.size())
        return false;
    bool ascii = true;
    for (std::size_t i = 0; ascii && i < prefix.size(); ++i) {
        const char c = head[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != prefix[i])
            return false;
    }
    if (ascii)
        return true;
    upperCaseInto(head.substr(0, characterPrefixBytes(head, prefix.size())), scratch);
    return scratch == prefix;
}

/// True when a line may begin one of the fields: only ASCII letters upper-case to the prefixes' first letters.
bool mayStartField(char c)
{
    switch (c) {
    case 'F':
    case 'f':
    case 'N':
    case 'n':
    case 'T':
    case 't':
    case 'E':
    case 'e':
        return true;
    default:
        return false;
    }
}

} // namespace

void ContactNamer::Value::Kept::addByte(char c)
{
    if (stripping) {
        if (c == '.')
            return;
        stripping = false;
    }
    if (valid) {
        const auto b = static_cast<unsigned char>(c);
        if (pending > 0) {
            if (b < low || b > high) {
                valid = false;
            } else {
                --pending;
                low = 0x80;
                high = 0xBF;
            }
        } else if (b >= 0xC2 && b <= 0xDF) {
            pending = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            pending = 2;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            pending = 3;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        } else if (b >= 0x80) {
            valid = false;
        }
    }
    if (bytes.size() < keptBytes)
        bytes.push_back(c);
}

void ContactNamer::Value::Kept::addSpaces(std::uint64_t count)
{
    if (stripping || count == 0)
        return;
    if (pending > 0)
        valid = false;
    const std::size_t room = keptBytes - std::min(bytes.size(), keptBytes);
    bytes.append(static_cast<std::size_t>(std::min<std::uint64_t>(count, room)), ' ');
}

ContactNamer::Value::Value(Step step)
    : m_step(step)
{
}

void ContactNamer::Value::reset(Step step)
{
    m_step = step;
    m_started = false;
    m_run = 0;
    m_text.reset();
    m_atSeen = false;
    m_pendingSpaces = 0;
    m_inFirstWord = true;
    m_word.reset();
    m_wordStripped.reset();
    m_rest.reset();
}

void ContactNamer::Value::add(std::string_view bytes)
{
    for (const char c : bytes) {
        switch (byteClasses.of[static_cast<unsigned char>(c)]) {
        case ByteClass::Remove:
            break;
        case ByteClass::Space:
            ++m_run;
            break;
        case ByteClass::Keep:
            // Spaces before the first character and after the last one are trimmed; runs between characters
            // are shortened as cleaning shortens them.
            if (m_started)
                onSpaces(collapsedRun(m_run));
            m_run = 0;
            m_started = true;
            onByte(c);
            break;
        }
    }
}

void ContactNamer::Value::onSpaces(std::uint64_t count)
{
    switch (m_step) {
    case Step::None:
        m_text.addSpaces(count);
        break;
    case Step::LocalPart:
        // Held back: spaces right before the "@" are trimmed from the local part.
        m_pendingSpaces = count;
        break;
    case Step::Reorder:
        if (m_inFirstWord && count > 0) {
            // The first run separates the family name from the rest; the rest is trimmed of it.
            m_inFirstWord = false;
        } else if (!m_inFirstWord) {
            m_rest.addSpaces(count);
        }
        break;
    }
}

void ContactNamer::Value::onByte(char c)
{
    switch (m_step) {
    case Step::None:
        m_text.addByte(c);
        break;
    case Step::LocalPart:
        if (m_atSeen)
            return;
        if (c == '@') {
            m_atSeen = true;
            return;
        }
        m_text.addSpaces(m_pendingSpaces);
        m_pendingSpaces = 0;
        m_text.addByte(c);
        break;
    case Step::Reorder:
        if (m_inFirstWord) {
            m_word.addByte(c);
            m_wordStripped.addByte(c);
        } else {
            m_rest.addByte(c);
        }
        break;
    }
}

std::string ContactNamer::Value::name() const
{
    std::string text;
    bool valid = true;
    if (m_step != Step::Reorder) {
        text = m_text.bytes;
        valid = m_text.wholeValid();
    } else if (m_inFirstWord || m_rest.stripping) {
        // One word, or nothing after it but dots and spaces, which go with the space before the word.
        text = m_wordStripped.bytes;
        valid = m_word.wholeValid();
    } else {
        text = m_rest.bytes;
        text.push_back(' ');
        text.append(m_word.bytes);
        valid = m_rest.wholeValid() && m_word.wholeValid();
    }
    // Address books that are not UTF-8 write Windows-1252: "J\xfcrgen" is "Jürgen".
    if (!valid)
        text = windows1252ToUtf8(text);
    if (text.size() > longestNameKept)
        text.resize(utf8PrefixBytes(text, longestNameKept));
    return text;
}

void ContactNamer::start()
{
    m_line = Line::None;
    m_found = {};
    m_best = passCount;
}

void ContactNamer::feed(std::string_view piece, bool first, bool /*last*/)
{
    if (first) {
        const bool continuation = !piece.empty() && (piece.front() == ' ' || piece.front() == '\t');
        if (continuation) {
            // Unfolding: the line break and the one space or tab after it are not part of the value.
            piece.remove_prefix(1);
        } else {
            endLogicalLine();
            if (m_best == 0)
                return; // a formatted name was found; nothing can come before it
            m_line = Line::Collecting;
            m_head.clear();
        }
    }
    addToLine(piece);
}

void ContactNamer::addToLine(std::string_view bytes)
{
    if (bytes.empty())
        return;
    switch (m_line) {
    case Line::None:
    case Line::Ignored:
        return;
    case Line::Collecting: {
        if (m_head.empty() && !mayStartField(bytes.front())) {
            m_line = Line::Ignored;
            return;
        }
        const std::size_t take = std::min(bytes.size(), headBytes - m_head.size());
        m_head.append(bytes.substr(0, take));
        if (m_head.size() < headBytes)
            return;
        decide();
        addToLine(bytes.substr(take));
        return;
    }
    case Line::Matched:
        if (m_pass == emailPass && !m_colonSeen) {
            const auto colon = bytes.find(':');
            if (colon == std::string_view::npos) {
                m_wholeLine.add(bytes);
                return;
            }
            m_colonSeen = true;
            m_value.add(bytes.substr(colon + 1));
            return;
        }
        m_value.add(bytes);
        return;
    }
}

void ContactNamer::decide()
{
    m_line = Line::Ignored;
    thread_local std::string upper;
    for (std::size_t pass = 0; pass < m_best; ++pass) {
        const std::string_view prefix = prefixes[pass];
        if (!startsWithUpperCased(m_head, prefix, upper))
            continue;
        const std::size_t bytes = characterPrefixBytes(m_head, prefix.size());
        // The first usable line of a pass wins; later lines of that pass change nothing.
        if (m_found[pass])
            return;
        m_line = Line::Matched;
        m_pass = pass;
        m_value.reset(steps[pass]);
        m_wholeLine.reset(Value::Step::LocalPart);
        m_colonSeen = false;
        // The value is what follows the line's first colon, which for "FN:", "N:" and "TITLE:" ends the
        // prefix; an "EMAIL" line without any colon gives its whole text.
        m_decided.swap(m_head);
        m_head.clear();
        if (pass == emailPass)
            addToLine(m_decided);
        else
            m_value.add(std::string_view(m_decided).substr(bytes));
        return;
    }
}

void ContactNamer::endLogicalLine()
{
    if (m_line == Line::Collecting)
        decide();
    if (m_line == Line::Matched) {
        const Value& value = m_pass == emailPass && !m_colonSeen ? m_wholeLine : m_value;
        // A value that cleaning leaves empty does not count: the next line of the pass is tried.
        if (value.usable()) {
            m_found[m_pass] = true;
            m_names[m_pass] = value.name();
            m_best = std::min(m_best, m_pass);
        }
    }
    m_line = Line::None;
}

std::string ContactNamer::name()
{
    endLogicalLine();
    for (std::size_t pass = 0; pass < passCount; ++pass) {
        if (m_found[pass])
            return m_names[pass];
    }
    return {};
}

} // namespace tessely
