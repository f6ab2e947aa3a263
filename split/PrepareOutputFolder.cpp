#include "PrepareOutputFolder.h"

#include "platform/Paths.h"

namespace tessely
{

std::string PrepareOutputFolder(FileSystem& fs, const std::string& source)
{
    if (!fs.fileExists(source))
        return {};
    std::string folder = joinPath(GetParentFolderName(source), outputFolderName);
    if (!fs.folderExists(folder))
        fs.createFolder(folder);
    return folder;
}

} // namespace tessely
