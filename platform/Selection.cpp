#include "Selection.h"

#include "Paths.h"

namespace tessely
{

std::string Selection::path(std::size_t index) const
{
    return joinPath(folder, names.at(index));
}

Selection Selection::ofPath(std::string_view path)
{
    Selection selection;
    if (path.empty())
        return selection;
    selection.folder = GetParentFolderName(path);
    selection.names.push_back(GetFileName(path));
    // A bare name is in the current folder; an empty folder would mean the root.
    if (selection.names.back().size() == path.size())
        selection.folder = ".";
    return selection;
}

} // namespace tessely
