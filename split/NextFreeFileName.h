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
/// The number of the "-#N" suffix at the end of `base` (a base name, without extension) and where the "-#"
/// starts; 0 when it has none that counts (no "-#", or text after it that is not a whole number).
std::int64_t suffixNumber(std::string_view base, std::size_t& mark);
/// The same for a file name without its folder: "John Doe.vcf" gives "John Doe-#1.vcf".
std::string nextFreeName(std::string_view fileName);
/// The name `steps` places further along the chain of `nextFreeName` variants from `fileName`.
std::string advanceName(std::string_view fileName, std::uint64_t steps);

} // namespace tessely

#endif
