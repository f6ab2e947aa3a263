#ifndef TESSELY_VCARD_PREPAREOUTPUTFOLDER_H
#define TESSELY_VCARD_PREPAREOUTPUTFOLDER_H

#include "platform/FileSystem.h"

#include <memory>
#include <string>

namespace tessely
{

/// The name of the folder beside the source that receives split files and the CSV table.
inline constexpr const char* outputFolderName = "Split-vCards";

/// Finds or creates the "Split-vCards" folder beside `source` and gives its path; gives the empty string
/// and creates nothing when no file is at `source`. A folder it creates is open to those who may read a
/// source with `permissions` of the group `group`, nobody else. A link there to another folder is followed; a link that
/// points nowhere, or a file of that name, is an error.
std::string PrepareOutputFolder(FileSystem& fs,
    const std::string& source,
    Permissions permissions = openPermissions,
    std::int64_t group = FileIdentity::noGroup);

/// What a job that writes beside its source starts from: the source opened for reading, its permissions,
/// and the output folder beside it (see PrepareOutputFolder), held and locked for the job.
struct OutputBesideSource {
    std::unique_ptr<ByteSource> source;
    Permissions permissions = openPermissions;
    std::string location;
    std::unique_ptr<HeldFolder> folder;
};
/// Opens `source`, then finds or makes the output folder beside it, holds and locks it, and has it keep
/// the source from being replaced by an output.
OutputBesideSource openOutputBesideSource(FileSystem& fs, const std::string& source);

} // namespace tessely

#endif
