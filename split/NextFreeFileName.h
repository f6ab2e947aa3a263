#ifndef TESSELY_SPLIT_NEXTFREEFILENAME_H
#define TESSELY_SPLIT_NEXTFREEFILENAME_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// The next candidate after a taken file path: the base name gets the suffix "-#1", or the number of a
/// "-#N" suffix it already ends in goes up by one. Tests no file; an empty path gives an empty path.
std::string NextFreeFileName(std::string_view path);
/// The same for a file name without its folder: "John Doe.vcf" gives "John Doe-#1.vcf".
std::string nextFreeName(std::string_view fileName);
/// The name `steps` places further along the chain of `nextFreeName` variants from `fileName`.
std::string advanceName(std::string_view fileName, std::uint64_t steps);

} // namespace tessely

#endif
