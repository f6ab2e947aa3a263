#include "NormalizeExportLine.h"

#include "platform/Text.h"

#include <cstring>

namespace tessely
{
namespace
{

/// Each byte as a normalised line has it: ";" becomes a space and ASCII letters are upper-cased. Commas,
/// which are deleted, and bytes outside ASCII, which need the Unicode table, are handled apart.
struct ExportBytes {
    char of[256] {};
    constexpr ExportBytes()
    {
        for (unsigned c = 0; c < 256; ++c)
            of[c] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c == ';' ? ' ' : c);
    }
};
constexpr ExportBytes exportBytes;

} // namespace

std::string_view normalizeExportLineInto(std::string_view line, std::string& storage)
{
    storage.resize(line.size());
    char* const out = storage.data();
    std::size_t size = 0;
    unsigned char high = 0;
    if (std::memchr(line.data(), ',', line.size()) == nullptr) {
        // Most lines have no comma: every byte maps to one byte, in a loop the compiler can vectorise.
        const auto* in = reinterpret_cast<const unsigned char*>(line.data());
        for (std::size_t i = 0; i < line.size(); ++i) {
            const unsigned char byte = in[i];
            high |= byte;
            const auto upper
                = static_cast<unsigned char>(byte - (static_cast<unsigned char>(byte - 'a') < 26 ? 32 : 0));
            out[i] = static_cast<char>(byte == ';' ? ' ' : upper);
        }
        size = line.size();
    } else {
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            high |= byte;
            out[size] = exportBytes.of[byte];
            size += c != ',' ? 1 : 0;
        }
        storage.resize(size);
    }
    // Deleting a comma can join the bytes around it into one character, so letters outside ASCII are
    // upper-cased only now, on the text without its commas; ASCII letters are already done.
    if ((high & 0x80) != 0)
        upperCaseBeyondAscii(storage);
    return trimSpaces(storage);
}

void NormalizeExportLine(std::string_view line, std::string& out)
{
    const std::string_view normalised = normalizeExportLineInto(line, out);
    if (normalised.empty()) {
        out.clear();
        return;
    }
    const std::size_t start = static_cast<std::size_t>(normalised.data() - out.data());
    out.erase(start + normalised.size());
    out.erase(0, start);
}

std::string NormalizeExportLine(std::string_view line)
{
    std::string out;
    NormalizeExportLine(line, out);
    return out;
}

} // namespace tessely
