#include "NameFromContact.h"

#include "platform/Text.h"

#include <algorithm>

namespace tessely
{
namespace
{

/// The passes in order of precedence; a usable line of an earlier pass beats every line of a later one.
/// The "EMAIL" prefix has no colon, so the line may carry parameters ("EMAIL;TYPE=INTERNET:").
constexpr std::string_view prefixes[] = { "FN:", "N:", "TITLE:", "EMAIL" };
constexpr std::size_t emailPass = 3;
constexpr std::size_t passCount = 4;
/// Enough bytes for the longest prefix, six characters of up to four bytes.
constexpr std::size_t headBytes = 24;
/// The bytes kept of each part of a name: a character more than a name keeps, so that cutting the name at a
/// character boundary sees the whole character there.
constexpr std::size_t keptBytes = longestNameKept + 4;

enum class ByteClass : unsigned char { Keep, Remove, Space };

/// Whether a UTF-8 sequence is a character that names lose: a control character of the C1 range
/// (U+0080 to U+009F) or a bidirectional formatting character (U+200E, U+200F, U+202A to U+202E,
/// U+2066 to U+2069), which would make a name show as another ("John\u202Egpj.vcf").
enum class Formatting { No, Maybe, Whole };
Formatting formattingAt(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (at(0) == 0xC2) {
        if (bytes.size() == 1)
            return Formatting::Maybe;
        return at(1) >= 0x80 && at(1) <= 0x9F ? Formatting::Whole : Formatting::No;
    }
    if (at(0) != 0xE2)
        return Formatting::No;
    if (bytes.size() == 1)
        return Formatting::Maybe;
    if (at(1) != 0x80 && at(1) != 0x81)
        return Formatting::No;
    if (bytes.size() == 2)
        return Formatting::Maybe;
    const unsigned char c = at(2);
    const bool whole = at(1) == 0x80 ? c == 0x8E || c == 0x8F || (c >= 0xAA && c <= 0xAE) : c >= 0xA6 && c <= 0xA9;
    return whole ? Formatting::Whole : Formatting::No;
}

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
    return std::string_view("FfNnTtEe").find(c) != std::string_view::npos;
}

} // namespace

void NameFromContact::Value::Kept::addByte(char c)
{
    if (stripping) {
        if (c == '.' || c == '-')
            return;
        stripping = false;
    }
    check.add(c);
    if (bytes.size() < keptBytes)
        bytes.push_back(c);
}

void NameFromContact::Value::Kept::addSpaces(std::uint64_t count)
{
    if (stripping || count == 0)
        return;
    check.add(' ');
    const std::size_t room = keptBytes - std::min(bytes.size(), keptBytes);
    bytes.append(static_cast<std::size_t>(std::min<std::uint64_t>(count, room)), ' ');
}

NameFromContact::Value::Value(Step step)
    : m_step(step)
{
}

void NameFromContact::Value::reset(Step step)
{
    m_step = step;
    m_sequence.clear();
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

void NameFromContact::Value::add(std::string_view bytes)
{
    // Characters that no name holds go first, so what stands around them is seen side by side. Then every
    // C1 control and bidirectional formatting character goes, also one that removing another one makes: the
    // bytes that may still end up in one wait, every lead byte of a character starting one more wait.
    constexpr std::size_t longestWait = 4096;
    for (const char c : bytes) {
        if (byteClasses.of[static_cast<unsigned char>(c)] == ByteClass::Remove)
            continue;
        if (m_sequence.empty() && c != '\xC2' && c != '\xE2') {
            classify(c);
            continue;
        }
        m_sequence.push_back(c);
        const std::size_t top = m_sequence.find_last_of("\xC2\xE2");
        const Formatting kind = formattingAt(std::string_view(m_sequence).substr(top));
        if (kind == Formatting::Whole)
            m_sequence.erase(top);
        else if (kind == Formatting::No || m_sequence.size() > longestWait)
            finish();
    }
}

void NameFromContact::Value::finish()
{
    std::string sequence;
    sequence.swap(m_sequence);
    for (const char c : sequence)
        classify(c);
}

void NameFromContact::Value::classify(char c)
{
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

void NameFromContact::Value::onSpaces(std::uint64_t count)
{
    if (count == 0)
        return;
    if (m_step != Step::Reorder) {
        // Spaces wait for the next character: those right before the "@" are trimmed from a local part.
        m_pendingSpaces = count;
    } else if (m_inFirstWord) {
        // The first run separates the family name from the rest; the rest is trimmed of it.
        m_inFirstWord = false;
    } else {
        m_rest.addSpaces(count);
    }
}

void NameFromContact::Value::onByte(char c)
{
    if (m_step == Step::Reorder) {
        (m_inFirstWord ? m_word : m_rest).addByte(c);
        if (m_inFirstWord)
            m_wordStripped.addByte(c);
        return;
    }
    m_atSeen = m_atSeen || (m_step == Step::LocalPart && c == '@');
    if (m_atSeen)
        return;
    m_text.addSpaces(m_pendingSpaces);
    m_pendingSpaces = 0;
    m_text.addByte(c);
}

std::string NameFromContact::Value::name() const
{
    std::string text;
    bool valid = true;
    if (m_step != Step::Reorder) {
        text = m_text.bytes;
        valid = m_text.check.valid();
    } else if (m_inFirstWord || m_rest.stripping) {
        // One word, or nothing after it but dots, dashes and spaces, which go with the space before the word.
        text = m_wordStripped.bytes;
        valid = m_word.check.valid();
    } else {
        text = m_rest.bytes;
        text.push_back(' ');
        text.append(m_word.bytes);
        valid = m_rest.check.valid() && m_word.check.valid();
    }
    // Address books that are not UTF-8 write Windows-1252: "J\xfcrgen" is "Jürgen".
    if (!valid)
        text = windows1252ToUtf8(text);
    if (text.size() > longestNameKept)
        text.resize(utf8PrefixBytes(text, longestNameKept));
    return text;
}

void NameFromContact::start()
{
    m_line = Line::None;
    m_found = {};
    m_best = passCount;
}

void NameFromContact::feed(std::string_view piece, bool first, bool /*last*/)
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

void NameFromContact::addToLine(std::string_view bytes)
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

void NameFromContact::decide()
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
        m_value.reset(pass == 1     ? Value::Step::Reorder
                : pass == emailPass ? Value::Step::LocalPart
                                    : Value::Step::None);
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

void NameFromContact::endLogicalLine()
{
    if (m_line == Line::Collecting)
        decide();
    if (m_line == Line::Matched) {
        Value& value = m_pass == emailPass && !m_colonSeen ? m_wholeLine : m_value;
        value.finish();
        // A value that cleaning leaves empty does not count: the next line of the pass is tried.
        if (value.usable()) {
            m_found[m_pass] = true;
            m_names[m_pass] = value.name();
            m_best = std::min(m_best, m_pass);
        }
    }
    m_line = Line::None;
}

void NameFromContact::skipLine()
{
    endLogicalLine();
}

std::string NameFromContact::name()
{
    endLogicalLine();
    for (std::size_t pass = 0; pass < passCount; ++pass) {
        if (m_found[pass])
            return m_names[pass];
    }
    return {};
}

} // namespace tessely
