#ifndef TESSELY_SPLIT_NAMEFROMCONTACT_H
#define TESSELY_SPLIT_NAMEFROMCONTACT_H

#include "ContactLines.h"

#include <string>
#include <string_view>

namespace tessely
{

/// The file-name stem for a contact, from its first usable "FN:", "N:", "TITLE:" or "EMAIL" line, in that
/// order of precedence; empty when the contact yields no name. See ContactNamer for the rules.
std::string NameFromContact(const ContactLines& contact);
/// A field value made safe as a file-name stem: path and wildcard characters removed, separators and
/// control characters turned into spaces, runs of spaces shortened, spaces trimmed. May be empty.
std::string CleanFileName(std::string_view value);
/// A cleaned structured name with its first word (the family name) moved to the end.
std::string ReorderStructuredName(std::string_view value);
/// A cleaned e-mail address cut down to the text before its first "@".
std::string EmailLocalPart(std::string_view value);

} // namespace tessely

#endif
