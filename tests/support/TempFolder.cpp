#include "TempFolder.h"

#include "System.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tessely::test
{

TempFolder::TempFolder()
{
    // A random name, tried until one is free: create_directory tells whether it made the folder.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << "tessely-test-" << std::hex << random() << random();
        const std::filesystem::path path = base / name.str();
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_all, error);
            m_path = path.u8string();
            return;
        }
    }
    ADD_FAILURE() << "cannot create a temporary folder";
}

TempFolder::~TempFolder()
{
    removeTree(m_path);
}

std::string TempFolder::file(std::string_view name) const
{
    return joinPath(m_path, name);
}

std::string TempFolder::write(std::string_view name, std::string_view bytes) const
{
    const std::string path = file(name);
    std::ofstream out(systemPath(path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << path;
    return path;
}

std::string TempFolder::makeNonRegularFile() const
{
#ifdef _WIN32
    return file("NUL.vcf");
#else
    const std::string path = file("fifo.vcf");
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
    return path;
#endif
}

std::string readFile(const std::string& path)
{
    std::ifstream in(systemPath(path), std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names = folderEntries(path);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tessely::test
