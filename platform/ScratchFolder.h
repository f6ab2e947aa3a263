#ifndef TESSELY_PLATFORM_SCRATCHFOLDER_H
#define TESSELY_PLATFORM_SCRATCHFOLDER_H

#include <string>

namespace tessely
{

/// A new folder of this process's own in the system's temporary folder, for a library that writes its work
/// files by name: nobody else may enter it (on Windows it lies in the user's own temporary folder, which
/// others cannot open), and it is removed with everything in it when destroyed, however the job ended.
class ScratchFolder
{
public:
    /// Creates the folder; throws FileError when the system refuses.
    ScratchFolder();
    /// Removes the folder and what it holds; a failure is swallowed so that it never hides the error that
    /// ended the job.
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    /// The folder's path, in UTF-8 as every path of the program.
    const std::string& path() const
    {
        return m_path;
    }
    /// The same path as the C runtime's narrow functions (fopen, open) take it: the same bytes on POSIX; on
    /// Windows in the system's ANSI code page, as the folder's short name when its long one has characters
    /// that the code page lacks.
    const std::string& runtimePath() const
    {
        return m_runtimePath;
    }

private:
    std::string m_path;
    std::string m_runtimePath;
};

} // namespace tessely

#endif
