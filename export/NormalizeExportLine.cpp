#include "NormalizeExportLine.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace tessely
{
namespace
{

/// Sixteen bytes, mapped at once (a vector type of GCC and Clang): the compiler took a plain loop over short
/// lines and the ends of lines a byte at a time, at 40 % more instructions for the mapping (bench/README.md).
using Block = unsigned char __attribute__((vector_size(16)));

/// The block as the normalised line has it, commas aside: ";" becomes a space and ASCII letters are upper-cased.
Block mapBlock(Block bytes)
{
    const auto lower = reinterpret_cast<Block>(static_cast<Block>(bytes - 'a') < 26);
    const auto semicolon = reinterpret_cast<Block>(bytes == ';');
    const Block upper = bytes - (lower & 32);
    return (semicolon & ' ') | (~semicolon & upper);
}

/// Maps `size` bytes a block at a time, the last block overlapping the one before it, or a shorter text as
/// one block filled up with zeros, instead of a byte at a time. Gives the bytes seen, or-ed together.
unsigned char mapBlocks(const unsigned char* in, std::size_t size, unsigned char* out)
{
    Block seen {};
    if (size < sizeof(Block)) {
        Block bytes {};
        std::memcpy(&bytes, in, size);
        seen = bytes;
        const Block mapped = mapBlock(bytes);
        std::memcpy(out, &mapped, size);
    }
    for (std::size_t at = 0; size >= sizeof(Block); at += sizeof(Block)) {
        at = std::min(at, size - sizeof(Block));
        Block bytes;
        std::memcpy(&bytes, in + at, sizeof(Block));
        seen |= bytes;
        const Block mapped = mapBlock(bytes);
        std::memcpy(out + at, &mapped, sizeof(Block));
        if (at + sizeof(Block) == size)
            break;
    }
    unsigned char all = 0;
    for (std::size_t i = 0; i < sizeof(Block); ++i)
        all |= seen[i];
    return all;
}

/// Writes `bytes` to `out`, which has room for all of them, with every "," deleted, every ";" made a space and
/// ASCII letters upper-cased; gives the number of bytes written, and sets `high` when a byte outside ASCII was
/// among them.
std::size_t mapBytes(std::string_view bytes, char* out, bool& high)
{
    if (bytes.empty())
        return 0;
    const unsigned char seen = mapBlocks(
        reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), reinterpret_cast<unsigned char*>(out));
    high = high || (seen & 0x80) != 0;
    // Most lines have no comma.
    char* const comma = static_cast<char*>(std::memchr(out, ',', bytes.size()));
    if (comma == nullptr)
        return bytes.size();
    return static_cast<std::size_t>(std::remove(comma, out + bytes.size(), ',') - out);
}

} // namespace

NormalizeExportLine::NormalizeExportLine(Sink& sink)
    : m_sink(sink)
{
}

void NormalizeExportLine::start(bool windows1252, bool values)
{
    m_windows1252 = windows1252;
    m_values = values;
    m_carry.clear();
    m_afterColon = false;
    m_beyondAscii = false;
    m_trimming = true;
    m_spaces = 0;
}

void NormalizeExportLine::feed(std::string_view piece)
{
    if (m_afterColon && !m_values)
        return;
    emit(map(piece, false));
}

void NormalizeExportLine::whole(std::string_view line, std::string_view& field, std::string_view& value)
{
    // As one `feed` and `finish`: with no piece to follow, nothing is carried, and `emit` and `part` trim
    // the spaces around the first colon and at both ends, which the line holds all of at once.
    const std::string_view text = map(line, true);
    const auto colon = text.find(':');
    m_afterColon = colon != std::string_view::npos;
    field = trimSpaces(text.substr(0, colon));
    value = m_afterColon && m_values ? trimSpaces(text.substr(colon + 1)) : std::string_view();
}

std::string_view NormalizeExportLine::map(std::string_view piece, bool last)
{
    if (!m_values) {
        const auto colon = piece.find(':');
        piece = piece.substr(0, colon == std::string_view::npos ? colon : colon + 1);
    }
    // The text given to the sink stays valid until the second piece after it: the buffers take turns.
    std::string& text = m_text[m_turn ^= 1];
    std::string decoded;
    if (m_windows1252)
        decoded = windows1252ToUtf8(piece);
    const std::string_view bytes = m_windows1252 ? std::string_view(decoded) : piece;
    // The buffer only grows (upper-casing has buffers of its own), so its bytes are not cleared for every line.
    text.resize(std::max(text.size(), m_carry.size() + bytes.size()));
    bool high = !m_carry.empty();
    std::copy(m_carry.begin(), m_carry.end(), text.begin());
    const std::size_t length = m_carry.size() + mapBytes(bytes, text.data() + m_carry.size(), high);
    m_carry.clear();
    m_beyondAscii = m_beyondAscii || high;
    if (!high)
        return std::string_view(text).substr(0, length);
    // Deleting a comma can join the bytes around it into one character, so the commas go first, and the end
    // of a character that the next piece may complete waits for it. ASCII letters are upper-cased already;
    // the others need the Unicode table, on whole characters.
    std::string& upper = m_text[2 + m_turn];
    upper.assign(text, 0, length);
    if (!m_windows1252 && !last) {
        const std::size_t cut = incompleteUtf8Tail(upper);
        m_carry.assign(upper, cut, std::string::npos);
        upper.resize(cut);
    }
    upperCaseBeyondAscii(upper);
    return upper;
}

void NormalizeExportLine::finish()
{
    if (!m_carry.empty()) {
        std::string& text = m_text[m_turn ^= 1];
        text.swap(m_carry);
        m_carry.clear();
        upperCaseBeyondAscii(text);
        emit(text);
    }
    // Spaces at the end of the line are trimmed.
    m_spaces = 0;
}

bool NormalizeExportLine::asciiName(std::string_view line, std::size_t limit, std::string_view& name)
{
    const std::size_t colon = line.find(':');
    if (colon > limit)
        return false;
    std::string& text = m_text[m_turn ^= 1];
    text.resize(std::max(text.size(), colon));
    bool high = false;
    name = trimSpaces(std::string_view(text.data(), mapBytes(line.substr(0, colon), text.data(), high)));
    return !high;
}

void NormalizeExportLine::emit(std::string_view text)
{
    if (!m_afterColon) {
        const auto colon = text.find(':');
        part(false, text.substr(0, colon));
        if (colon == std::string_view::npos)
            return;
        // Spaces right before and right after the first colon are trimmed from the field name and the value.
        m_afterColon = true;
        m_trimming = true;
        m_spaces = 0;
        text.remove_prefix(colon + 1);
    }
    if (m_values)
        part(true, text);
}

void NormalizeExportLine::part(bool value, std::string_view text)
{
    std::size_t first = 0;
    if (m_trimming) {
        while (first < text.size() && text[first] == ' ')
            ++first;
        if (first == text.size())
            return;
        m_trimming = false;
    }
    std::size_t end = text.size();
    while (end > first && text[end - 1] == ' ')
        --end;
    if (end == first) {
        m_spaces += text.size();
        return;
    }
    // Spaces between two texts are part of the line; those at its end wait for what follows them.
    static const std::string run(4096, ' ');
    while (m_spaces > 0) {
        const auto now = static_cast<std::size_t>(std::min<std::uint64_t>(m_spaces, run.size()));
        m_sink.text(value, std::string_view(run).substr(0, now));
        m_spaces -= now;
    }
    m_sink.text(value, text.substr(first, end - first));
    m_spaces = text.size() - end;
}

} // namespace tessely
