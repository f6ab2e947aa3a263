#ifndef TESSELY_TESTS_PLAINNAMING_H
#define TESSELY_TESTS_PLAINNAMING_H

#include "tests/support/PlainContacts.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessely::test
{

// The naming rules the plain way, on whole strings: the reference that the streaming namer (and the split
// that uses it) must agree with.

/// The characters that names lose, in UTF-8: the C1 control characters and the bidirectional formatting
/// characters.
const std::vector<std::string>& formattingCharacters();
/// A field value made safe as a file-name stem: path and wildcard characters, C1 control characters and
/// bidirectional formatting characters removed, separators and C0 control characters turned into spaces,
/// runs of spaces shortened in four sweeps (five, four, three, two), spaces trimmed. May be empty.
std::string CleanFileName(std::string_view value);
/// A cleaned structured name with its first word (the family name) moved to the end.
std::string ReorderStructuredName(std::string_view value);
/// A cleaned e-mail address cut down to the text before its first "@".
std::string EmailLocalPart(std::string_view value);
/// A contact's name: its property lines are unfolded first (a line of a nested card ends the line before
/// it, and lines folded after it are no property), then the first usable "FN:", "N:", "TITLE:" or "EMAIL"
/// line gives the name, with dots, dashes and spaces at its start removed and read as Windows-1252 when it
/// is not UTF-8.
std::string plainName(const std::vector<PlainLine>& contact);
/// The same for a contact whose lines are all property lines.
std::string plainName(const std::vector<std::string>& lines);

} // namespace tessely::test

#endif
