#include "FileSystem.h"

namespace tessely
{

Permissions filePermissionsFor(Permissions input)
{
    return input & 0666u;
}

Permissions folderPermissionsFor(Permissions input)
{
    // Each read bit brings the matching search bit, so the folder opens to exactly those who may read.
    return (input & 0666u) | ((input & 0444u) >> 2);
}

} // namespace tessely
