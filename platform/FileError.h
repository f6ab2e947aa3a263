#ifndef TESSELY_PLATFORM_FILEERROR_H
#define TESSELY_PLATFORM_FILEERROR_H

#include <stdexcept>
#include <string>
#include <system_error>

namespace tessely
{

/// A file or folder operation that the system refused; carries the path and the system's reason.
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

    /// Builds the error from the current `errno`.
    static FileError fromErrno(const std::string& action, const std::string& path);

private:
    std::string m_path;
    std::error_code m_code;
};

} // namespace tessely

#endif
