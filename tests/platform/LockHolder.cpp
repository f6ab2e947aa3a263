// The other process of the folder lock's test on Windows: takes the lock on the folder it is given, says
// "locked" and waits to be killed.
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/WideText.h"

#include <cstdio>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return 2;
    try {
        const auto lock = tessely::localFileSystem().lockFolder(tessely::toUtf8(argv[1]));
        std::fputs("locked\n", stdout);
        std::fflush(stdout);
        ::Sleep(INFINITE);
    } catch (const tessely::FileError& error) {
        std::printf("%s\n", error.what());
    }
    return 1;
}
