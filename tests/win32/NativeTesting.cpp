#include "NativeTesting.h"

#include "platform/WideText.h"
#include "win32/Win32Api.h"

#include <map>
#include <thread>

namespace tessely::test
{

std::string textOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return toUtf8(text);
}

std::string classOf(HWND window)
{
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return toUtf8(name);
}

PixelRect placeOf(HWND control)
{
    RECT rect {};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return { rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top };
}

SIZE clientSizeOf(HWND window)
{
    RECT rect {};
    GetClientRect(window, &rect);
    return { rect.right, rect.bottom };
}

std::string tooltipText(HWND tooltip, HWND owner, HWND control)
{
    wchar_t text[512] = {};
    TTTOOLINFOW tool {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    if (!SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)))
        return {};
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return toUtf8(text);
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (root == nullptr || !IsDialogMessageW(root, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void pumpFor(std::chrono::milliseconds time)
{
    const auto end = std::chrono::steady_clock::now() + time;
    pumpUntil([&] { return std::chrono::steady_clock::now() > end; }, time + std::chrono::seconds(1));
}

void typeKeys(HWND window, const std::vector<Key>& keys)
{
    SetForegroundWindow(window);
    pumpFor(std::chrono::milliseconds(50));
    // All keys go into the queue at once, as from a fast typist: a key that opens a menu starts the menu's
    // own loop, which then reads the keys after it.
    std::vector<INPUT> inputs;
    auto add = [&](WORD code, bool up) {
        INPUT input {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (const Key& key : keys) {
        if (key.alt)
            add(VK_MENU, false);
        add(key.code, false);
        add(key.code, true);
        if (key.alt)
            add(VK_MENU, true);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    pumpFor(std::chrono::milliseconds(100 + 40 * static_cast<int>(keys.size())));
}

namespace
{

std::map<UINT_PTR, WhileRunning*>& runningSteps()
{
    static std::map<UINT_PTR, WhileRunning*> steps;
    return steps;
}

} // namespace

WhileRunning::WhileRunning(std::function<void()> step)
    : m_step(std::move(step))
{
    m_timer = SetTimer(nullptr, 0, 5, &WhileRunning::tick);
    runningSteps()[m_timer] = this;
}

WhileRunning::~WhileRunning()
{
    stop();
}

void WhileRunning::stop()
{
    if (m_timer == 0)
        return;
    KillTimer(nullptr, m_timer);
    runningSteps().erase(m_timer);
    m_timer = 0;
}

void CALLBACK WhileRunning::tick(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto found = runningSteps().find(id);
    if (found == runningSteps().end() || found->second->m_inStep)
        return;
    WhileRunning& running = *found->second;
    running.m_inStep = true;
    running.m_step();
    // The step may have stopped and so ended this object's timer, but the object lives on.
    running.m_inStep = false;
}

HWND findThreadWindow(const wchar_t* className, const std::string& caption)
{
    struct Search {
        const wchar_t* className;
        std::string caption;
        HWND found = nullptr;
    } search { className, caption };
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            wchar_t name[128] = {};
            GetClassNameW(window, name, 128);
            if (lstrcmpiW(name, search->className) != 0 || !IsWindowVisible(window))
                return TRUE;
            if (!search->caption.empty() && textOf(window) != search->caption)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace tessely::test
