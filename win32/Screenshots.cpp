// Opens the program's two windows as the program does and saves a picture of each, as the screen shows it,
// into the folder given as the only argument: main-window.bmp, main-window-status.bmp (the status label
// counting as during a job) and about-window.bmp. Used by scripts/screenshot-windows.sh under Wine on a
// virtual X server; not installed.
#include "Win32Api.h"
#include "frmAbout.h"
#include "frmMain.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

/// Lets the windows draw themselves: handles messages for a while.
void settle()
{
    for (int i = 0; i < 30; ++i) {
        tessely::handleWaitingMessages();
        Sleep(10);
    }
}

/// Saves what the screen shows of `window`, frame included, as a 24-bit bitmap file.
bool savePicture(HWND window, const std::wstring& path)
{
    RECT rect {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied && out.good();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessely-screenshots FOLDER\n");
        return 2;
    }
    const std::wstring folder = std::wstring(argv[1]) + L"\\";
    tessely::frmMain window;
    window.show();
    settle();
    bool saved = savePicture(window.window(), folder + L"main-window.bmp");

    // The status label as a long job shows it, started from a dropped file or the command line.
    tessely::MainWindowView& view = window;
    view.showStatus(true);
    view.setStatusCaption(tessely::statusCaption(12000));
    settle();
    saved = savePicture(window.window(), folder + L"main-window-status.bmp") && saved;
    view.showStatus(false);

    tessely::frmAbout about(window.window());
    EnableWindow(window.window(), FALSE);
    about.show();
    settle();
    saved = savePicture(about.window(), folder + L"about-window.bmp") && saved;
    EnableWindow(window.window(), TRUE);
    return saved ? 0 : 1;
}
