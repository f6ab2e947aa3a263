#ifndef TESSELY_CLI_WINDOWSCONSOLE_H
#define TESSELY_CLI_WINDOWSCONSOLE_H

#include <memory>
#include <ostream>
#include <streambuf>

namespace tessely
{

/// Where tessely-cli.exe writes one of its standard streams. In a console the UTF-8 text is shown through
/// the console's UTF-16 interface, so every name reads right whatever the console's code page; redirected
/// to a file or a pipe the stream writes the UTF-8 bytes unchanged, with "\n" line ends as on Linux.
class WindowsConsoleStream
{
public:
    /// `standardHandle` is STD_OUTPUT_HANDLE or STD_ERROR_HANDLE; `fallback` the C++ stream on the same
    /// file (std::cout, std::cerr).
    WindowsConsoleStream(unsigned long standardHandle, std::ostream& fallback);
    ~WindowsConsoleStream();
    WindowsConsoleStream(const WindowsConsoleStream&) = delete;
    WindowsConsoleStream& operator=(const WindowsConsoleStream&) = delete;

    std::ostream& stream()
    {
        return m_console ? *m_console : m_fallback;
    }
    /// True when the stream is a console that understands the terminal's escape sequences, which the live
    /// "Processing N" line uses.
    bool isInteractive() const
    {
        return m_interactive;
    }

private:
    std::ostream& m_fallback;
    std::unique_ptr<std::streambuf> m_buffer;
    std::unique_ptr<std::ostream> m_console;
    bool m_interactive = false;
    void* m_handle = nullptr;
    unsigned long m_mode = 0;
};

} // namespace tessely

#endif
