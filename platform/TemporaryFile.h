#ifndef TESSELY_PLATFORM_TEMPORARYFILE_H
#define TESSELY_PLATFORM_TEMPORARYFILE_H

#include "FileSystem.h"

#include <memory>
#include <string>

namespace tessely
{

/// A new file written under a temporary name beside its target and moved into place only when complete,
/// so a job that fails or is stopped midway leaves an earlier file of the target's name as it was and no
/// half-written file behind.
class TemporaryFile
{
public:
    /// Creates the temporary file in the folder of `target`. When that fails, the error names `target`, the
    /// file the user asked for, not the temporary name.
    TemporaryFile(FileSystem& fs, std::string target);
    /// Deletes the file unless it was moved into place; a failure to delete is swallowed so that it never
    /// hides the error that ended the job.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    /// The file to write to; hand it to a LineWriter and close that before `moveTo`.
    std::unique_ptr<ByteSink> takeSink();
    /// Moves the closed file to its target, replacing a file there; from then on it is no longer temporary.
    void moveIntoPlace();

private:
    FileSystem& m_fs;
    std::string m_target;
    std::string m_path;
    std::unique_ptr<ByteSink> m_sink;
};

} // namespace tessely

#endif
