#ifndef TESSELY_SPLIT_NEXTFREEFILENAME_H
#define TESSELY_SPLIT_NEXTFREEFILENAME_H

#include <string>
#include <string_view>

namespace tessely
{

/// The next candidate after a taken file path: the base name gets the suffix "-#1", or the number of a
/// "-#N" suffix it already ends in goes up by one. Tests no file; an empty path gives an empty path.
std::string NextFreeFileName(std::string_view path);

} // namespace tessely

#endif
