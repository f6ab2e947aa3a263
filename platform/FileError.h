#ifndef TESSELY_PLATFORM_FILEERROR_H
#define TESSELY_PLATFORM_FILEERROR_H

#include <stdexcept>
#include <string>
#include <system_error>

namespace tessely
{

/// Reasons for refusing a file operation that the system itself has no words for.
enum class FileErrc {
    /// An input that is a folder, a FIFO, a device or a socket.
    NotRegularFile = 1,
    /// An output name that a folder has.
    IsFolder,
    /// A folder that another job is writing into.
    FolderLocked,
    /// A link whose target does not exist.
    BrokenLink,
    /// An output name that is the input itself, which a job never replaces.
    IsInput,
    /// A file that another program holds open and does not let go of (Windows).
    OpenElsewhere,
};

/// The category of FileErrc: "not a regular file", "is a folder", ...
const std::error_category& fileCategory() noexcept;
std::error_code make_error_code(FileErrc code) noexcept;

/// A file or folder operation that the system refused; carries the path and the reason.
class FileError : public std::runtime_error
{
public:
    /// `action` reads like "cannot open file"; the message becomes "<action> '<path>': <reason>".
    FileError(const std::string& action, std::string path, std::error_code code);

    const std::string& path() const noexcept
    {
        return m_path;
    }
    std::error_code code() const noexcept
    {
        return m_code;
    }
    /// The action as given: "cannot open file".
    const std::string& action() const noexcept
    {
        return m_action;
    }

    /// Builds the error from the current `errno`.
    static FileError fromErrno(const std::string& action, const std::string& path);

private:
    std::string m_action;
    std::string m_path;
    std::error_code m_code;
};

} // namespace tessely

namespace std
{
template <> struct is_error_code_enum<tessely::FileErrc> : true_type {
};
} // namespace std

#endif
