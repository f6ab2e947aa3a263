#include "PrepareOutputFolder.h"

#include "platform/FileError.h"
#include "platform/Paths.h"

namespace tessely
{

std::string PrepareOutputFolder(FileSystem& fs, const std::string& source, Permissions permissions, std::int64_t group)
{
    if (!fs.fileExists(source))
        return {};
    std::string folder = joinPath(GetParentFolderName(source), outputFolderName);
    switch (fs.kindOf(folder)) {
    case PathKind::Folder:
        break;
    case PathKind::None:
        try {
            fs.createFolder(folder, folderPermissionsFor(permissions), group);
        } catch (const FileError&) {
            // Another job may have made it in the meantime.
            if (!fs.folderExists(folder))
                throw;
        }
        break;
    case PathKind::BrokenLink:
        throw FileError("cannot create folder", folder, FileErrc::BrokenLink);
    case PathKind::File:
    case PathKind::Other:
        throw FileError("cannot create folder", folder, std::make_error_code(std::errc::file_exists));
    }
    return folder;
}

OutputBesideSource openOutputBesideSource(FileSystem& fs, const std::string& source)
{
    OutputBesideSource job;
    job.source = fs.openRead(source);
    job.permissions = job.source->permissions();
    job.location = PrepareOutputFolder(fs, source, job.permissions, job.source->identity().group);
    job.folder = fs.lockFolder(job.location);
    job.folder->madeFrom(job.source->identity());
    job.folder->protect(job.source->identity(), source);
    return job;
}

} // namespace tessely
