#include "FileError.h"
#include "FileSystem.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tessely
{
namespace
{

class FileDescriptorSource final : public ByteSource
{
public:
    FileDescriptorSource(int fd, std::string path)
        : m_fd(fd)
        , m_path(std::move(path))
    {
    }
    ~FileDescriptorSource() override
    {
        ::close(m_fd);
    }
    FileDescriptorSource(const FileDescriptorSource&) = delete;
    FileDescriptorSource& operator=(const FileDescriptorSource&) = delete;

    std::size_t read(char* buffer, std::size_t size) override
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, size);
            if (got >= 0)
                return static_cast<std::size_t>(got);
            if (errno != EINTR)
                throw FileError::fromErrno("cannot read file", m_path);
        }
    }

private:
    int m_fd;
    std::string m_path;
};

class FileDescriptorSink final : public ByteSink
{
public:
    FileDescriptorSink(int fd, std::string path)
        : m_fd(fd)
        , m_path(std::move(path))
    {
    }
    ~FileDescriptorSink() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptorSink(const FileDescriptorSink&) = delete;
    FileDescriptorSink& operator=(const FileDescriptorSink&) = delete;

    void write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            const ssize_t done = ::write(m_fd, data, size);
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                throw FileError::fromErrno("cannot write file", m_path);
            }
            data += done;
            size -= static_cast<std::size_t>(done);
        }
    }

    void close() override
    {
        const int fd = m_fd;
        m_fd = -1;
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
            throw FileError::fromErrno("cannot write file", m_path);
    }

private:
    int m_fd;
    std::string m_path;
};

int openOrThrow(const std::string& path, int flags, const char* action)
{
    for (;;) {
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EINTR)
            throw FileError::fromErrno(action, path);
    }
}

bool statMode(const std::string& path, mode_t& mode)
{
    struct stat info {
    };
    if (::stat(path.c_str(), &info) != 0)
        return false;
    mode = info.st_mode;
    return true;
}

void copyThenDelete(FileSystem& fs, const std::string& from, const std::string& to)
{
    auto source = fs.openRead(from);
    auto sink = fs.openWrite(to);
    std::vector<char> buffer(1 << 16);
    for (std::size_t got; (got = source->read(buffer.data(), buffer.size())) > 0;)
        sink->write(buffer.data(), got);
    sink->close();
    source.reset();
    fs.deleteFile(from);
}

class LocalFileSystem final : public FileSystem
{
public:
    bool fileExists(const std::string& path) override
    {
        mode_t mode = 0;
        return statMode(path, mode) && S_ISREG(mode);
    }

    bool folderExists(const std::string& path) override
    {
        mode_t mode = 0;
        return statMode(path, mode) && S_ISDIR(mode);
    }

    bool pathExists(const std::string& path) override
    {
        struct stat info {
        };
        return ::lstat(path.c_str(), &info) == 0;
    }

    void createFolder(const std::string& path) override
    {
        if (::mkdir(path.c_str(), 0777) != 0)
            throw FileError::fromErrno("cannot create folder", path);
    }

    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        return std::make_unique<FileDescriptorSource>(openOrThrow(path, O_RDONLY, "cannot open file"), path);
    }

    std::unique_ptr<ByteSink> openWrite(const std::string& path) override
    {
        const int fd = openOrThrow(path, O_WRONLY | O_CREAT | O_TRUNC, "cannot create file");
        return std::make_unique<FileDescriptorSink>(fd, path);
    }

    std::unique_ptr<ByteSink> createTemporary(const std::string& folder, std::string& path) override
    {
        // O_EXCL makes the name ours alone; the mode honours the user's umask like any other output.
        static std::atomic<unsigned> sequence { 0 };
        const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0;; ++attempt) {
            path = folder + "/.tessely-" + std::to_string(::getpid()) + "-"
                + std::to_string((seed + sequence++) % 1000000007ULL) + ".tmp";
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0)
                return std::make_unique<FileDescriptorSink>(fd, path);
            if ((errno != EEXIST && errno != EINTR) || attempt > 100)
                throw FileError::fromErrno("cannot create file", path);
        }
    }

    void moveFile(const std::string& from, const std::string& to) override
    {
        if (::rename(from.c_str(), to.c_str()) == 0)
            return;
        if (errno != EXDEV)
            throw FileError::fromErrno("cannot move file", from);
        copyThenDelete(*this, from, to);
    }

    void deleteFile(const std::string& path) override
    {
        if (::unlink(path.c_str()) != 0)
            throw FileError::fromErrno("cannot delete file", path);
    }
};

} // namespace

FileSystem& localFileSystem()
{
    static LocalFileSystem instance;
    return instance;
}

} // namespace tessely
