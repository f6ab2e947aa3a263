#ifndef TESSELY_RECOMBINE_RECOMBINEFILES_H
#define TESSELY_RECOMBINE_RECOMBINEFILES_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <string>

namespace tessely
{

/// Joins the files of a multi-file selection (folder, NUL, name, NUL, name...) into one file named after
/// today's date in that folder. Gives the number of files combined and the written file's path.
JobResult RecombineFiles(FileSystem& fs, JobHost& host, const std::string& selection);

} // namespace tessely

#endif
