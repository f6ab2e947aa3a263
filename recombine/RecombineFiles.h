#ifndef TESSELY_RECOMBINE_RECOMBINEFILES_H
#define TESSELY_RECOMBINE_RECOMBINEFILES_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <string>

namespace tessely
{

/// The recombined file's name for `date`: "12-06-2026_CONBINED_CONTACTS.vcf", month first.
std::string recombinedFileName(const Date& date);

/// Joins the files of a multi-file selection (folder, NUL, name, NUL, name...) into one file named after
/// today's date in that folder, an empty line between two files. Gives the number of files combined and the
/// written file's path; a selection of fewer than two names gives 0 and touches nothing.
JobResult RecombineFiles(FileSystem& fs, JobHost& host, const std::string& selection);

} // namespace tessely

#endif
