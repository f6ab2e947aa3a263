#ifndef TESSELY_EXPORT_NORMALIZEEXPORTLINE_H
#define TESSELY_EXPORT_NORMALIZEEXPORTLINE_H

#include <string>
#include <string_view>

namespace tessely
{

/// Normalises a line read inside a contact for the CSV table, in this order: deletes every ",", turns every
/// ";" into a space, upper-cases, and trims leading and trailing spaces. "TEL;TYPE=CELL:555-0100" gives
/// "TEL TYPE=CELL:555-0100". The result replaces the content of `out`, whose storage is reused.
void NormalizeExportLine(std::string_view line, std::string& out);
/// Normalises `line` into `storage` (whose content it replaces) and gives the normalised line, a part of it.
std::string_view normalizeExportLineInto(std::string_view line, std::string& storage);
/// The normalised line (see above).
std::string NormalizeExportLine(std::string_view line);

} // namespace tessely

#endif
