#ifndef TESSELY_TESTS_WIN32_NATIVETESTING_H
#define TESSELY_TESTS_WIN32_NATIVETESTING_H

#include "ui/Twips.h"
#include "win32/Win32Api.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tessely::test
{

/// A window's text in UTF-8.
std::string textOf(HWND window);
/// A window's class name in UTF-8 ("BUTTON", "tooltips_class32"...).
std::string classOf(HWND window);
/// Where a control sits in its parent's client area, in pixels.
PixelRect placeOf(HWND control);
/// The size of a window's client area, in pixels.
SIZE clientSizeOf(HWND window);
/// The text that `tooltip` shows for `control` of `owner`; empty when it has no tool for it.
std::string tooltipText(HWND tooltip, HWND owner, HWND control);

/// Handles the thread's messages until `done` holds or `timeout` has passed; gives `done()`.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));
/// Handles the thread's messages for a while.
void pumpFor(std::chrono::milliseconds time);

/// A key as the keyboard sends it: a virtual-key code, with Alt held down or not.
struct Key {
    WORD code;
    bool alt = false;
};
/// Brings `window` to the front and types the keys, as a user would, and handles what follows for a while;
/// each key goes through the message queue to the window that has the keyboard focus when it is read.
void typeKeys(HWND window, const std::vector<Key>& keys);

/// Runs `step` from the thread's message loop every few milliseconds while it lives: from inside a job's
/// yields, a modal window's loop or a dialog's. A step that opens a modal loop of its own is not run again
/// until it returns.
class WhileRunning
{
public:
    explicit WhileRunning(std::function<void()> step);
    ~WhileRunning();
    WhileRunning(const WhileRunning&) = delete;
    WhileRunning& operator=(const WhileRunning&) = delete;
    void stop();

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
    std::function<void()> m_step;
    UINT_PTR m_timer = 0;
    bool m_inStep = false;
};

/// The top-level window of this thread whose class is `className` and, when given, whose caption is
/// `caption`; null when there is none.
HWND findThreadWindow(const wchar_t* className, const std::string& caption = {});

} // namespace tessely::test

#endif
