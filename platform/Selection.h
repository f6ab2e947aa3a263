#ifndef TESSELY_PLATFORM_SELECTION_H
#define TESSELY_PLATFORM_SELECTION_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessely
{

/// Files the user chose: the names `names` (bare names, exactly as given) in `folder`. No names means that
/// nothing was chosen.
struct Selection {
    std::string folder;
    std::vector<std::string> names;

    bool empty() const
    {
        return names.empty();
    }
    /// The full path of the name at `index`: the folder, one separator and the name.
    std::string path(std::size_t index = 0) const;
    /// The selection of the one file at `path`, split into its folder and its name as the text stands; the
    /// folder of a bare name is ".".
    static Selection ofPath(std::string_view path);

    bool operator==(const Selection& other) const
    {
        return folder == other.folder && names == other.names;
    }
};

} // namespace tessely

#endif
