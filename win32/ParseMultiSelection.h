#ifndef TESSELY_WIN32_PARSEMULTISELECTION_H
#define TESSELY_WIN32_PARSEMULTISELECTION_H

#include <string>
#include <vector>

namespace tessely
{

/// Splits a multi-file selection (folder, NUL, name, NUL, name...) into its folder, which it gives back,
/// and its file names, which replace the content of `names` in selection order. The folder is the text
/// before the first NUL as it stands; each name loses its leading spaces and the last one its trailing
/// spaces too. A selection with a single name after the folder yields no names; one without any NUL yields
/// no folder either.
std::string ParseMultiSelection(const std::string& selection, std::vector<std::string>& names);

} // namespace tessely

#endif
