#include "platform/Version.h"
#include "platform/WideText.h"
#include "ui/frmAboutDescription.h"
#include "ui/frmMainDescription.h"
#include "win32/NativeWindow.h"
#include "win32/Win32Api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <shellapi.h>
#include <vector>

namespace tessely
{
namespace
{

/// The version record of a program file: its fixed part and its texts in US English and Unicode.
struct VersionRecord {
    VS_FIXEDFILEINFO fixed {};
    std::map<std::string, std::string> texts;
};

VersionRecord versionRecordOf(const std::wstring& program)
{
    VersionRecord found;
    std::vector<char> record(GetFileVersionInfoSizeW(program.c_str(), nullptr));
    if (record.empty() || !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(record.size()), record.data()))
        return found;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        found.fixed = *fixed;
    for (const wchar_t* name : { L"CompanyName",
             L"FileDescription",
             L"FileVersion",
             L"InternalName",
             L"OriginalFilename",
             L"ProductName",
             L"ProductVersion" }) {
        wchar_t* text = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (VerQueryValueW(record.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && length > 0)
            found.texts[toUtf8(name)] = toUtf8(std::wstring_view(text, length - 1));
    }
    return found;
}

/// A program file built beside this test program.
std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

TEST(Resources, BothProgramsCarryTheProgramsVersionRecord)
{
    // The texts give the minor number in two digits and the revision in four: 3.2.2 reads "3.02.0002".
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%d.%02d.%04d", versionMajor, versionMinor, versionRevision);
    const VersionRecord window = versionRecordOf(besideThisProgram(L"tessely.exe"));
    const VersionRecord console = versionRecordOf(besideThisProgram(L"tessely-cli.exe"));
    for (const auto* record : { &window, &console }) {
        // Major, minor, 0, revision.
        EXPECT_EQ(record->fixed.dwFileVersionMS, static_cast<DWORD>(MAKELONG(versionMinor, versionMajor)));
        EXPECT_EQ(record->fixed.dwFileVersionLS, static_cast<DWORD>(MAKELONG(versionRevision, 0)));
        EXPECT_EQ(record->fixed.dwProductVersionMS, record->fixed.dwFileVersionMS);
        EXPECT_EQ(record->fixed.dwProductVersionLS, record->fixed.dwFileVersionLS);
        ASSERT_EQ(record->texts.size(), 7u);
        EXPECT_EQ(record->texts.at("FileVersion"), text);
        EXPECT_EQ(record->texts.at("ProductVersion"), text);
    }
    EXPECT_EQ(window.texts.at("OriginalFilename"), "tessely.exe");
    EXPECT_EQ(console.texts.at("OriginalFilename"), "tessely-cli.exe");
    for (const char* same : { "CompanyName", "InternalName", "ProductName", "ProductVersion" })
        EXPECT_EQ(window.texts.at(same), console.texts.at(same)) << same;
}

TEST(Resources, EachWindowHasItsOwnIconInEverySize)
{
    std::vector<HICON> icons;
    for (const WindowDescription* window : { &frmMainDescription(), &frmAboutDescription() }) {
        for (const int size : iconSizes) {
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
    const std::size_t sizes = std::size(iconSizes);
    const std::size_t at32 = static_cast<std::size_t>(std::find(iconSizes, iconSizes + sizes, 32) - iconSizes);
    ICONINFO main {}, about {};
    GetIconInfo(icons[at32], &main);
    GetIconInfo(icons[sizes + at32], &about);
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
