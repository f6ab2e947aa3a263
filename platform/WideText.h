#ifndef TESSELY_PLATFORM_WIDETEXT_H
#define TESSELY_PLATFORM_WIDETEXT_H

#include <string>
#include <string_view>

namespace tessely
{

/// Turns UTF-8 into the UTF-16 that Windows calls take. False, with `wide` unspecified, when `utf8` is
/// not valid UTF-8: such bytes name nothing that Windows can store.
bool toWide(std::string_view utf8, std::wstring& wide);
/// Turns UTF-16 from Windows into UTF-8; a lone surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view wide);

} // namespace tessely

#endif
