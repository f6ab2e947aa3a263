#include "FileError.h"

#include <cerrno>

namespace tessely
{

FileError::FileError(const std::string& action, std::string path, std::error_code code)
    : std::runtime_error(action + " '" + path + "': " + code.message())
    , m_path(std::move(path))
    , m_code(code)
{
}

FileError FileError::fromErrno(const std::string& action, const std::string& path)
{
    return FileError(action, path, std::error_code(errno, std::generic_category()));
}

} // namespace tessely
