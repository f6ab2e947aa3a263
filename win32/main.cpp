#include "Win32Api.h"
#include "frmMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The program takes no command line and keeps no settings: every start looks the same.
    tessely::frmMain window;
    window.show();
    MSG message;
    while (window.isOpen() && GetMessageW(&message, nullptr, 0, 0) > 0)
        tessely::dispatchMessage(message);
    return 0;
}
