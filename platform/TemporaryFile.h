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
    /// Creates the temporary file in `folder`, beside the target `name`, readable by its owner alone while
    /// it is written (it is created so). A folder at `name` is refused at once, before anything is written.
    TemporaryFile(HeldFolder& folder, std::string name);
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
    /// Gives the file `permissions` (within the umask and the folder's group rule); call it while the file
    /// is still open.
    void setPermissions(Permissions permissions);
    /// Moves the closed file to its target, replacing a file or link there.
    void moveIntoPlace();
    /// Moves the closed file to `name` instead, replacing a file or link there: for a file whose name is
    /// known only once it is complete.
    void moveIntoPlace(const std::string& name);
    /// Moves the closed file to `name` in the same folder only when nothing has that name.
    NewName moveToNewName(const std::string& name);

private:
    HeldFolder& m_folder;
    std::string m_target;
    /// The temporary name; empty once the file has been moved away.
    std::string m_name;
    std::unique_ptr<ByteSink> m_sink;
};

} // namespace tessely

#endif
