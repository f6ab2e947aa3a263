#include "platform/WideText.h"
#include "ui/frmAboutDescription.h"
#include "ui/frmMainDescription.h"
#include "win32/NativeWindow.h"
#include "win32/Win32Api.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <vector>

namespace tessely
{
namespace
{

/// One text of the program file's version record, in US English and Unicode.
std::string versionText(const std::vector<char>& record, const wchar_t* name)
{
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(record.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || length == 0)
        return {};
    return toUtf8(std::wstring_view(text, length - 1));
}

TEST(Resources, TheProgramFileCarriesItsVersionRecord)
{
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::vector<char> record(GetFileVersionInfoSizeW(program, nullptr));
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(GetFileVersionInfoW(program, 0, static_cast<DWORD>(record.size()), record.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    // Major, minor, 0, revision.
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(2, 3));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(2, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    // The texts give the minor number in two digits and the revision in four.
    EXPECT_EQ(versionText(record, L"FileVersion"), "3.02.0002");
    EXPECT_EQ(versionText(record, L"ProductVersion"), "3.02.0002");
    EXPECT_EQ(versionText(record, L"CompanyName"), "Quorvane");
    EXPECT_EQ(versionText(record, L"ProductName"), "Tessely Application");
    EXPECT_EQ(versionText(record, L"InternalName"), "Tessely");
}

TEST(Resources, EachWindowHasItsOwnIconInBothSizes)
{
    std::vector<HICON> icons;
    for (const WindowDescription* window : { &frmMainDescription(), &frmAboutDescription() }) {
        for (const int size : { 16, 32 }) {
            auto* icon = static_cast<HICON>(
                LoadImageW(GetModuleHandleW(nullptr), wideText(window->icon).c_str(), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr) << window->icon << " " << size;
            ICONINFO info {};
            GetIconInfo(icon, &info);
            BITMAP colour {};
            GetObjectW(info.hbmColor, sizeof(colour), &colour);
            EXPECT_EQ(colour.bmWidth, size) << window->icon;
            EXPECT_GE(colour.bmBitsPixel, 24) << window->icon;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            icons.push_back(icon);
        }
    }
    // The two windows' icons differ; the program file shows the About window's, the first icon it holds.
    ICONINFO main {}, about {};
    GetIconInfo(icons[1], &main);
    GetIconInfo(icons[3], &about);
    std::vector<unsigned char> mainBits(32 * 32 * 4), aboutBits(32 * 32 * 4);
    GetBitmapBits(main.hbmColor, static_cast<LONG>(mainBits.size()), mainBits.data());
    GetBitmapBits(about.hbmColor, static_cast<LONG>(aboutBits.size()), aboutBits.data());
    EXPECT_NE(mainBits, aboutBits);
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    HICON fileIcon = ExtractIconW(GetModuleHandleW(nullptr), program, 0);
    ASSERT_NE(fileIcon, nullptr);
    ICONINFO file {};
    GetIconInfo(fileIcon, &file);
    std::vector<unsigned char> fileBits(32 * 32 * 4);
    GetBitmapBits(file.hbmColor, static_cast<LONG>(fileBits.size()), fileBits.data());
    EXPECT_EQ(fileBits, aboutBits);
    for (HBITMAP bitmap : { main.hbmColor, main.hbmMask, about.hbmColor, about.hbmMask, file.hbmColor, file.hbmMask })
        DeleteObject(bitmap);
    for (HICON icon : icons)
        DestroyIcon(icon);
    DestroyIcon(fileIcon);
}

TEST(Resources, TheManifestAsksForCommonControlsSixAndEveryScreensDensity)
{
    // The common controls this program was bound to, found from one of their functions: the side-by-side
    // assembly of version 6. A process may hold the old version too, for parts of the system that ask for
    // no version.
    HMODULE controls = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&InitCommonControlsEx),
        &controls);
    ASSERT_NE(controls, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(controls, path, MAX_PATH);
    std::string file = toUtf8(path);
    CharLowerA(file.data());
    EXPECT_NE(file.find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << file;
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
}

} // namespace
} // namespace tessely
