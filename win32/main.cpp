#include "Win32Api.h"
#include "frmMain.h"
#include "platform/WideText.h"

#include <string>
#include <vector>

// tessely.exe [FILE...]: opens the main window; files named on the command line (as Explorer's "Open with"
// names them) start their job at once: one file is split, two or more are recombined.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    std::vector<std::string> files;
    int count = 0;
    if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            files.push_back(tessely::toUtf8(arguments[i]));
        LocalFree(arguments);
    }
    tessely::frmMain window;
    window.show();
    if (!files.empty())
        window.logic().openFiles(files, tessely::FileSource::CommandLine);
    MSG message;
    while (window.isOpen() && GetMessageW(&message, nullptr, 0, 0) > 0)
        tessely::dispatchMessage(message);
    return 0;
}
