#include "WindowsConsole.h"

#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace tessely
{
namespace
{

/// The number of leading bytes of `bytes` that end on a character boundary: a UTF-8 sequence cut off at the
/// end waits for its other bytes.
std::size_t wholeCharacters(const char* bytes, std::size_t size)
{
    std::size_t start = size;
    // A sequence has at most four bytes: look back for its lead byte.
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        start = size - back;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? start : size;
    }
    return size;
}

/// Collects UTF-8 text and writes it to the console as UTF-16; bytes that are not UTF-8 show as U+FFFD.
class ConsoleBuffer final : public std::streambuf
{
public:
    explicit ConsoleBuffer(HANDLE console)
        : m_console(console)
    {
        setp(m_bytes, m_bytes + sizeof m_bytes);
    }

protected:
    int_type overflow(int_type c) override
    {
        if (pptr() == epptr() && sync() != 0)
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override
    {
        const auto size = static_cast<std::size_t>(pptr() - pbase());
        const std::size_t whole = wholeCharacters(pbase(), size);
        if (whole > 0 && !writeText(pbase(), whole))
            return -1;
        const std::size_t rest = size - whole;
        std::char_traits<char>::move(m_bytes, pbase() + whole, rest);
        setp(m_bytes, m_bytes + sizeof m_bytes);
        pbump(static_cast<int>(rest));
        return 0;
    }

private:
    bool writeText(const char* bytes, std::size_t size)
    {
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), text.data(), length);
        const wchar_t* next = text.data();
        DWORD left = static_cast<DWORD>(text.size());
        while (left > 0) {
            DWORD written = 0;
            if (!::WriteConsoleW(m_console, next, left, &written, nullptr) || written == 0)
                return false;
            next += written;
            left -= written;
        }
        return true;
    }

    HANDLE m_console;
    char m_bytes[4096];
};

} // namespace

WindowsConsoleStream::WindowsConsoleStream(unsigned long standardHandle, std::ostream& fallback)
    : m_fallback(fallback)
{
    const HANDLE handle = ::GetStdHandle(standardHandle);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode)) {
        m_buffer = std::make_unique<ConsoleBuffer>(handle);
        m_console = std::make_unique<std::ostream>(m_buffer.get());
        m_interactive = ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
        m_handle = handle;
        m_mode = mode;
        return;
    }
    // Redirected: the bytes as they are, no "\r\n" for "\n".
    _setmode(_fileno(standardHandle == STD_ERROR_HANDLE ? stderr : stdout), _O_BINARY);
}

WindowsConsoleStream::~WindowsConsoleStream()
{
    if (!m_console)
        return;
    m_console->flush();
    // The console outlives the program: it gets its own mode back.
    ::SetConsoleMode(m_handle, m_mode);
}

} // namespace tessely
