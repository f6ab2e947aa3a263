#ifndef TESSELY_WIN32_MESSAGEBOXLAYER_H
#define TESSELY_WIN32_MESSAGEBOXLAYER_H

#include "Win32Api.h"
#include "controller/Operation.h"

#include <string>

namespace tessely
{

/// The message box through which the main window tells the user how a job ended: the system's
/// (`MessageBoxW`).
class Win32MessageBoxLayer
{
public:
    /// Shows `message` modally over `owner` with an OK button and returns when the user has closed it.
    void show(HWND owner, const Message& message);
};

/// The message box style for a message's icon: OK only, with the error or the information icon.
UINT messageBoxStyle(MessageIcon icon);

/// A message's text as the box shows it: its lines joined by CR LF.
std::wstring messageBoxText(const Message& message);

} // namespace tessely

#endif
