#ifndef TESSELY_SPLIT_SPLITCONTACTS_H
#define TESSELY_SPLIT_SPLITCONTACTS_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <cstdint>
#include <string>

namespace tessely
{

/// The numbered file of contact `number` in `folder`: "contact" and the number in at least four digits.
std::string numberedFileName(const std::string& folder, std::uint64_t number);

/// The first path tried for a contact named `name`: location, "/", the name and ".vcf". A path over 255
/// characters is cut to 255 by shortening the name, and a name over 239 bytes is cut further at a character
/// boundary, so that a file name with a "-#N" suffix still fits the file system. Empty when the name is
/// empty or the folder's path leaves no room for even one character of it.
std::string contactFileName(const std::string& location, const std::string& name);

/// How a split names its files.
enum class SplitNaming {
    /// contact0001.vcf, contact0002.vcf, ...
    Numbered,
    /// From the contact's formatted name, name, title or e-mail address; a contact that gives none keeps
    /// its numbered name.
    FromContact,
};

/// Writes every contact of `source` to a file of its own in the "Split-vCards" folder beside it, under its
/// numbered name or, with `naming` FromContact, under a name taken from the contact. Each file
/// is written whole under its final name; a contact too large to be held is written to a temporary file
/// first. A file already at a numbered name is replaced, never written through; a contact-based name is
/// only ever a new one. A file that fails midway is removed; the folder is locked while the job writes.
/// Gives the number of contacts written, the folder, and the number of non-blank lines outside any contact.
JobResult SplitContacts(
    FileSystem& fs, JobHost& host, const std::string& source, SplitNaming naming = SplitNaming::Numbered);

} // namespace tessely

#endif
