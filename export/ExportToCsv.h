#ifndef TESSELY_EXPORT_EXPORTTOCSV_H
#define TESSELY_EXPORT_EXPORTTOCSV_H

#include "ContactEntryReader.h"
#include "WorkbookTable.h"
#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <string>

namespace tessely
{

/// The name of the table in the output folder.
inline constexpr const char* exportFileName = "Contacts_Export.csv";

/// Writes the raw fields of every contact of `source` into "Split-vCards/Contacts_Export.csv" beside it,
/// one column per distinct field name and one row per contact; the folder is made before the source is read.
/// A cell holding a double quote is quoted, its quotes doubled, and a cell that a spreadsheet would take for
/// a formula is guarded by a leading apostrophe. The table is written under a temporary name and replaces an
/// earlier one only when complete. Gives the number of contacts and the folder.
JobResult ExportToCsv(FileSystem& fs, JobHost& host, const std::string& source);
/// The same with the given limits of what is held in memory (tests make them small to read long lines,
/// names and cells again from the file).
JobResult ExportToCsv(FileSystem& fs, JobHost& host, const std::string& source, const ExportLimits& limits);

/// Writes the same table as `ExportToCsv`, the same columns with the same values, as the Excel workbook
/// "Split-vCards/Contacts_Export.xlsx" (see WorkbookTable): every cell text as it stands, without the CSV's
/// quoting or its apostrophe before what a spreadsheet would read as a formula. A table larger than a
/// workbook holds fails before anything is written. Gives the number of contacts, the workbook's path as
/// the location, and the number of cells cut to fit.
JobResult ExportToWorkbook(FileSystem& fs,
    JobHost& host,
    const std::string& source,
    const ExportLimits& limits = {},
    const WorkbookLimits& workbookLimits = {});

} // namespace tessely

#endif
