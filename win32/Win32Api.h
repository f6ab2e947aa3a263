#ifndef TESSELY_WIN32_WIN32API_H
#define TESSELY_WIN32_WIN32API_H

// The system headers of the native front end. <windows.h> comes first, since the headers of the common
// controls and dialogs build on it.
// clang-format off
#include <windows.h>
#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>
#include <shellapi.h>
// clang-format on

#endif
