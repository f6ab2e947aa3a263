#ifndef TESSELY_SPLIT_COUNTCONTACTS_H
#define TESSELY_SPLIT_COUNTCONTACTS_H

#include "platform/FileSystem.h"
#include "platform/LineReader.h"

#include <cstdint>
#include <limits>
#include <string>

namespace tessely
{

/// Reads one line outside any contact, whole or in pieces. Gives true when it opens a contact (it reads
/// "BEGIN:VCARD" once upper-cased and trimmed); counts it in `skipped` when it is not blank.
bool readOutsideContact(LineReader& reader, std::uint64_t& skipped);

/// Counts the lines whose normalised form reads "BEGIN:VCARD"; 0 when no file is at `source`. Stops
/// counting at `enough`, for a caller that only needs to know whether there are that many.
std::uint64_t CountContacts(
    FileSystem& fs, const std::string& source, std::uint64_t enough = std::numeric_limits<std::uint64_t>::max());

} // namespace tessely

#endif
