#ifndef TESSELY_TESTS_TEMPFOLDER_H
#define TESSELY_TESTS_TEMPFOLDER_H

#include <string>
#include <string_view>
#include <vector>

namespace tessely::test
{

/// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const
    {
        return m_path;
    }
    /// The full path of `name` inside the folder.
    std::string file(std::string_view name) const;
    /// Writes `bytes` to `name` inside the folder and gives the full path.
    std::string write(std::string_view name, std::string_view bytes) const;
    /// Something in the folder that is neither a regular file nor a folder, and gives its path: a FIFO, or on
    /// Windows, which has none, the NUL device.
    std::string makeNonRegularFile() const;

private:
    std::string m_path;
};

/// The whole content of a file; fails the test when it cannot be read.
std::string readFile(const std::string& path);
/// The names in a folder, sorted.
std::vector<std::string> listFolder(const std::string& path);

} // namespace tessely::test

#endif
