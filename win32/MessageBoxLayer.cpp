#include "MessageBoxLayer.h"

#include "NativeWindow.h"

namespace tessely
{

void Win32MessageBoxLayer::show(HWND owner, const Message& message)
{
    MessageBoxW(owner, messageBoxText(message).c_str(), wideText(message.title).c_str(), messageBoxStyle(message.icon));
}

UINT messageBoxStyle(MessageIcon icon)
{
    return MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
}

std::wstring messageBoxText(const Message& message)
{
    return wideText(message.text("\r\n"));
}

} // namespace tessely
