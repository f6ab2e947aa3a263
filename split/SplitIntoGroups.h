#ifndef TESSELY_SPLIT_SPLITINTOGROUPS_H
#define TESSELY_SPLIT_SPLITINTOGROUPS_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <cstdint>
#include <string>

namespace tessely
{

/// How a split into groups fills its files: at most `perFile` contacts, and at most `largestBytes` bytes
/// unless a single contact is larger. 0 leaves that limit out.
struct ContactGroups {
    std::uint64_t perFile = 0;
    std::uint64_t largestBytes = 0;
};

/// What a split into groups gives back: the contacts written (`count`), the folder, the lines skipped, and
/// the files written, of which `overSize` hold a single contact larger than the largest size.
struct GroupsResult : JobResult {
    std::uint64_t files = 0;
    std::uint64_t overSize = 0;
};

/// Writes the contacts of `source`, in order, into files of several contacts each in the "Split-vCards"
/// folder beside it, named by the numbers of their first and last contact ("contacts0001-0250.vcf"). Each
/// contact is written exactly as the numbered split writes it. A file closes when it holds `groups.perFile`
/// contacts, or before a contact would take it past `groups.largestBytes`; a contact larger than that gets a
/// file of its own. A file is written under a temporary name and moved into place when it closes: an
/// earlier file of its name is replaced, never written through, and a file that fails or is stopped midway
/// is removed. The folder is locked while the job writes.
GroupsResult SplitIntoGroups(FileSystem& fs, JobHost& host, const std::string& source, const ContactGroups& groups);

} // namespace tessely

#endif
