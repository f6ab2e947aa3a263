#ifndef TESSELY_SPLIT_SPLITCONTACTS_H
#define TESSELY_SPLIT_SPLITCONTACTS_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <cstdint>
#include <string>

namespace tessely
{

/// The numbered file of contact `number` in `folder`: "contact" and the number in at least four digits.
std::string numberedFileName(const std::string& folder, std::uint64_t number);

/// Writes every contact of `source` to a file of its own in the "Split-vCards" folder beside it.
/// Gives the number of contacts written and the folder.
JobResult SplitContacts(FileSystem& fs, JobHost& host, const std::string& source);

} // namespace tessely

#endif
