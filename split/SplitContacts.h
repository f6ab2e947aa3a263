#ifndef TESSELY_SPLIT_SPLITCONTACTS_H
#define TESSELY_SPLIT_SPLITCONTACTS_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// The numbered file of contact `number` in `folder`: "contact" and the number in at least four digits.
std::string numberedFileName(const std::string& folder, std::uint64_t number);

/// True when `path` is, in `location`, the numbered file of a contact after contact `number`: "contact", a
/// greater number in at least four digits without further leading zeros, ".vcf".
bool isLaterNumberedFile(const std::string& location, std::string_view path, std::uint64_t number);

/// The first path tried for a contact named `name`: location, "/", the name and ".vcf". A path over 255
/// characters is cut to 255 by shortening the name, and a name over 239 bytes is cut further at a character
/// boundary, so that a file name with a "-#N" suffix still fits the file system. Empty when the name is
/// empty or the folder's path leaves no room for even one character of it.
std::string contactFileName(const std::string& location, const std::string& name);

/// Writes every contact of `source` to a file of its own in the "Split-vCards" folder beside it.
/// Gives the number of contacts written and the folder.
JobResult SplitContacts(FileSystem& fs, JobHost& host, const std::string& source);

} // namespace tessely

#endif
