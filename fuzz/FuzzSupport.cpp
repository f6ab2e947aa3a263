#include "FuzzSupport.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace tessely::fuzz
{

std::size_t MemorySource::read(char* buffer, std::size_t size)
{
    const std::size_t n = std::min({ size, m_chunk, m_bytes.size() - m_offset });
    std::memcpy(buffer, m_bytes.data() + m_offset, n);
    m_offset += n;
    return n;
}

namespace
{

void appendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

/// The whole text after a UTF-16 byte-order mark, as UTF-8.
std::string decodeUtf16(std::string_view text, bool littleEndian)
{
    std::vector<unsigned> units;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(text[i + 1]);
        units.push_back(littleEndian ? (b << 8 | a) : (a << 8 | b));
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const unsigned u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
        }
    }
    if (text.size() % 2 != 0)
        appendUtf8(out, 0xFFFD);
    return out;
}

} // namespace

std::vector<std::string> referenceLines(std::string_view text)
{
    std::string decoded;
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        decoded = decodeUtf16(text.substr(2), text[0] == '\xFF');
        text = decoded;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
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
    const std::filesystem::path base
        = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    // A random name, tried until one is free: create_directory tells whether it made the folder.
    std::random_device random;
    for (int attempt = 0; m_path.empty(); ++attempt) {
        FUZZ_CHECK(attempt < 100);
        std::ostringstream name;
        name << "tessely-fuzz-" << std::hex << random() << random();
        const std::filesystem::path path = base / name.str();
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_all, error);
            m_path = path.u8string();
        }
    }
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
    const std::string path = joinPath(m_path, name);
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
    return path;
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    FUZZ_CHECK(in.good());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> folderNames(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(path)))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tessely::fuzz
