#ifndef TESSELY_PLATFORM_TEMPORARYFILE_H
#define TESSELY_PLATFORM_TEMPORARYFILE_H

#include "FileSystem.h"

#include <memory>
#include <string>

namespace tessely
{

/// A new file written under a temporary name beside its target and moved into place only when complete,
/// so a job that fails or is stopped midway leaves an earlier file of the target's name as it was and no
/// half-written file behind. Errors while writing name the target, the file the user knows, not the
/// temporary name.
class TemporaryFile
{
public:
    /// Creates the temporary file in the folder of `target`, readable by its owner alone while it is
    /// written. A folder at `target` is refused at once, before anything is written.
    TemporaryFile(FileSystem& fs, std::string target);
    /// Deletes the file unless it was moved into place; a failure to delete is swallowed so that it never
    /// hides the error that ended the job.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    /// The file to write to; close it (or the LineWriter over it) before moving the file into place.
    ByteSink& sink()
    {
        return *m_sink;
    }
    /// Gives the file `permissions` (within the umask); call it while the file is still open.
    void setPermissions(Permissions permissions);
    /// Moves the closed file to its target, replacing a file or link there.
    void moveIntoPlace();
    /// Moves the closed file to `name` in the same folder only when nothing has that name.
    NewName moveToNewName(const std::string& name);

private:
    FileSystem& m_fs;
    std::string m_target;
    std::string m_path;
    std::unique_ptr<ByteSink> m_sink;
};

} // namespace tessely

#endif
