#ifndef TESSELY_SPLIT_COUNTCONTACTS_H
#define TESSELY_SPLIT_COUNTCONTACTS_H

#include "platform/FileSystem.h"
#include "platform/LineReader.h"

#include <cstdint>
#include <string>

namespace tessely
{

/// Reads one line outside any contact, whole or in pieces. Gives true when it opens a contact (it reads
/// "BEGIN:VCARD" once upper-cased and trimmed); counts it in `skipped` when it is not blank.
bool readOutsideContact(LineReader& reader, std::uint64_t& skipped);

/// Counts the lines whose normalised form reads "BEGIN:VCARD"; 0 when no file is at `source`.
std::uint64_t CountContacts(FileSystem& fs, const std::string& source);

} // namespace tessely

#endif
