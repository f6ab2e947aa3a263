#include "FileError.h"

#include <cerrno>

namespace tessely
{
namespace
{

class FileCategory final : public std::error_category
{
public:
    const char* name() const noexcept override
    {
        return "tessely-file";
    }
    std::string message(int code) const override
    {
        switch (static_cast<FileErrc>(code)) {
        case FileErrc::NotRegularFile:
            return "not a regular file";
        case FileErrc::IsFolder:
            return "is a folder";
        case FileErrc::FolderLocked:
            return "another job is writing into this folder";
        case FileErrc::BrokenLink:
            return "it is a link to something that does not exist";
        case FileErrc::IsInput:
            return "it is the input file, which is never replaced";
        case FileErrc::OpenElsewhere:
            return "it is open in another program";
        }
        return "unknown reason";
    }
};

} // namespace

const std::error_category& fileCategory() noexcept
{
    static const FileCategory category;
    return category;
}

std::error_code make_error_code(FileErrc code) noexcept
{
    return { static_cast<int>(code), fileCategory() };
}

FileError::FileError(const std::string& action, std::string path, std::error_code code)
    : std::runtime_error(action + " '" + path + "': " + code.message())
    , m_action(action)
    , m_path(std::move(path))
    , m_code(code)
{
}

FileError FileError::fromErrno(const std::string& action, const std::string& path)
{
    return FileError(action, path, std::error_code(errno, std::generic_category()));
}

} // namespace tessely
