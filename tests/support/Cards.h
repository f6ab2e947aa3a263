#ifndef TESSELY_TESTS_SUPPORT_CARDS_H
#define TESSELY_TESTS_SUPPORT_CARDS_H

#include <string>

namespace tessely::test
{

/// `count` contacts in one text, each with a formatted name "Person N": what the window tests split,
/// export and recombine.
inline std::string cards(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) + "\r\nEND:VCARD\r\n";
    return text;
}

} // namespace tessely::test

#endif
