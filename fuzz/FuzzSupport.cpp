#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace tessely::fuzz
{

std::size_t MemorySource::read(char* buffer, std::size_t size)
{
    const std::size_t n = std::min({ size, m_chunk, m_bytes.size() });
    std::memcpy(buffer, m_bytes.data(), n);
    m_bytes.remove_prefix(n);
    return n;
}

std::vector<std::string> referenceLines(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

ScratchFolder::ScratchFolder()
{
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/tessely-fuzz-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void ScratchFolder::clear() const
{
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        std::filesystem::remove_all(entry.path());
}

std::string ScratchFolder::write(const std::string& name, std::string_view bytes) const
{
    const std::string path = m_path + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
    return path;
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    FUZZ_CHECK(in.good());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> folderNames(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tessely::fuzz
