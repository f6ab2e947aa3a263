#ifndef TESSELY_EXPORT_EXPORTTOCSV_H
#define TESSELY_EXPORT_EXPORTTOCSV_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <string>

namespace tessely
{

/// Writes the raw fields of every contact of `source` into "Split-vCards/Contacts_Export.csv" beside it,
/// one column per distinct field name and one row per contact; the folder is made before the source is read.
/// A cell holding a double quote is quoted, its quotes doubled. Gives the number of contacts and the folder.
JobResult ExportToCsv(FileSystem& fs, const std::string& source);

} // namespace tessely

#endif
