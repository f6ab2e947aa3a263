#include "NormalizeExportLine.h"

#include "platform/Text.h"

namespace tessely
{
namespace
{

void trimInPlace(std::string& text)
{
    const auto last = text.find_last_not_of(' ');
    if (last == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(' '));
}

} // namespace

void NormalizeExportLine(std::string_view line, std::string& out)
{
    out.clear();
    bool ascii = true;
    for (const char c : line) {
        if (c == ',')
            continue;
        if (c == ';') {
            out.push_back(' ');
        } else {
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
            out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
    }
    if (!ascii) {
        // Deleting a comma can join the bytes around it into one character, so letters outside ASCII are
        // upper-cased only now, on the text without its commas; ASCII letters are already done and stay.
        thread_local std::string withoutCommas;
        withoutCommas.swap(out);
        upperCaseInto(withoutCommas, out);
    }
    trimInPlace(out);
}

std::string NormalizeExportLine(std::string_view line)
{
    std::string out;
    NormalizeExportLine(line, out);
    return out;
}

} // namespace tessely
