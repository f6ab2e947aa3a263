#ifndef TESSELY_VCARD_COUNTCONTACTS_H
#define TESSELY_VCARD_COUNTCONTACTS_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <cstdint>
#include <limits>
#include <string>

namespace tessely
{

/// Counts the contacts of `source` as the jobs read them (see ContactReader); 0 when no file is at `source`.
/// Stops counting at `enough`, for a caller that only needs to know whether there are that many, and when
/// the host says that the user asked to stop.
std::uint64_t CountContacts(FileSystem& fs,
    JobHost& host,
    const std::string& source,
    std::uint64_t enough = std::numeric_limits<std::uint64_t>::max());

} // namespace tessely

#endif
