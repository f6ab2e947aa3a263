#ifndef TESSELY_RECOMBINE_RECOMBINEFILES_H
#define TESSELY_RECOMBINE_RECOMBINEFILES_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"
#include "platform/Selection.h"

#include <string>

namespace tessely
{

/// The recombined file's name for `date`: "12-06-2026_CONBINED_CONTACTS.vcf", month first.
std::string recombinedFileName(const Date& date);

/// Joins the files of `selection`, in its order, into one file named after today's date in its folder, an
/// empty line between two files. A file that ends inside a contact is closed with "END:VCARD" first, so the
/// contacts of the next file stay contacts of their own. Gives the number of files combined and the written
/// file's path; a selection of fewer than two names gives 0 and touches nothing.
JobResult RecombineFiles(FileSystem& fs, JobHost& host, const Selection& selection);

} // namespace tessely

#endif
