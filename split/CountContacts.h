#ifndef TESSELY_SPLIT_COUNTCONTACTS_H
#define TESSELY_SPLIT_COUNTCONTACTS_H

#include "platform/FileSystem.h"

#include <cstdint>
#include <string>

namespace tessely
{

/// Counts the lines whose normalised form reads "BEGIN:VCARD"; 0 when no file is at `source`.
std::uint64_t CountContacts(FileSystem& fs, const std::string& source);

} // namespace tessely

#endif
