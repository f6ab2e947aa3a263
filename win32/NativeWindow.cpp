#include "NativeWindow.h"

#include "Win32Api.h"
#include "platform/WideText.h"
#include "ui/ControlPlacement.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cwchar>

namespace tessely
{

namespace
{

const wchar_t* const classPrefix = L"Tessely.";

bool isDescribedWindow(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return std::wcsncmp(name, classPrefix, std::wcslen(classPrefix)) == 0;
}

void loadControlLibraries()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    INITCOMMONCONTROLSEX controls { sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES };
    InitCommonControlsEx(&controls);
    // The rich-text box of the About window lives in its own library.
    LoadLibraryW(L"Msftedit.dll");
}

HICON loadIcon(const std::string& name, int metric)
{
    const int size = GetSystemMetrics(metric);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), wideText(name).c_str(), IMAGE_ICON, size, size, LR_SHARED));
}

struct NativeKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

NativeKind nativeKind(const ControlDescription& control)
{
    const DWORD align = control.alignment == TextAlignment::Right ? SS_RIGHT
        : control.alignment == TextAlignment::Centre              ? SS_CENTER
                                                                  : SS_LEFT;
    switch (control.kind) {
    case ControlKind::Frame:
        return { L"BUTTON", BS_GROUPBOX, 0 };
    case ControlKind::OptionButton:
        return { L"BUTTON", BS_AUTORADIOBUTTON, 0 };
    case ControlKind::CommandButton:
        return { L"BUTTON", static_cast<DWORD>(control.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0 };
    case ControlKind::Label:
        // A label that widens for its caption keeps it on one line.
        return { L"STATIC", align | (control.fit == ContentFit::GrowLeft ? SS_CENTERIMAGE : 0), 0 };
    case ControlKind::ListBox:
        return { L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, WS_EX_CLIENTEDGE };
    case ControlKind::Line:
        return { L"STATIC", SS_ETCHEDHORZ, 0 };
    case ControlKind::Picture:
        return { L"STATIC", SS_BITMAP, 0 };
    case ControlKind::RichTextBox:
        // Read-only: the user may select and copy the text, never change it.
        return { MSFTEDIT_CLASS, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE };
    case ControlKind::TextBox:
        return { L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE };
    }
    return { L"STATIC", 0, 0 };
}

HFONT createNamedFont(const FontDescription& font, int dpi)
{
    LOGFONTW logical {};
    logical.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi / 72.0));
    logical.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    logical.lfCharSet = DEFAULT_CHARSET;
    logical.lfQuality = DEFAULT_QUALITY;
    const std::wstring family = wideText(font.family);
    std::wcsncpy(logical.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&logical);
}

HFONT createMessageFont(int dpi)
{
    NONCLIENTMETRICSW metrics {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, 96);
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

/// The rich-text box's text in the described font: a rich-text box keeps character formats, not a font.
void setRichTextFont(HWND box, const FontDescription& font)
{
    CHARFORMAT2W format {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_LCID;
    format.dwEffects = font.bold ? CFE_BOLD : 0;
    format.yHeight = static_cast<LONG>(std::lround(font.points * 20)); // in twips
    format.lcid = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    const std::wstring family = wideText(font.family);
    std::wcsncpy(format.szFaceName, family.c_str(), LF_FACESIZE - 1);
    SendMessageW(box, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

/// The size in pixels of a label's caption on one line in its font, with a character's room beside it.
PixelSize captionSize(HWND label)
{
    const int length = GetWindowTextLengthW(label);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(label, text.data(), length + 1)));
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return { static_cast<int>(size.cx + metrics.tmAveCharWidth), static_cast<int>(size.cy) };
}

/// The size in pixels that a list box needs to show all its lines in full, borders and a little room
/// included. Its font must be set.
PixelSize listSizeNeeded(HWND list)
{
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        SIZE size {};
        GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    const int itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const int borders = 2 * GetSystemMetrics(SM_CXEDGE);
    return { widest + borders + 6, count * itemHeight + borders };
}

/// What a control's content needs, for the controls that fit their content.
PixelSize contentSize(HWND native, const ControlDescription& control)
{
    switch (control.fit) {
    case ContentFit::None:
        break;
    case ContentFit::GrowLeft:
        return captionSize(native);
    case ContentFit::GrowAround:
        return listSizeNeeded(native);
    }
    return {};
}

} // namespace

std::wstring wideText(std::string_view text)
{
    std::wstring wide;
    toWide(text, wide);
    return wide;
}

int windowDpi(HWND window)
{
    const UINT dpi = window != nullptr ? GetDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : 96;
}

HWND createDescribedWindow(const WindowDescription& design, HWND owner, WNDPROC procedure, void* self)
{
    loadControlLibraries();
    const std::wstring className = classPrefix + wideText(design.name);
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), className.c_str(), &windowClass)) {
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = procedure;
        // The dialog procedure keeps its state in these bytes.
        windowClass.cbWndExtra = DLGWINDOWEXTRA;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.hIcon = loadIcon(design.icon, SM_CXICON);
        windowClass.hIconSm = loadIcon(design.icon, SM_CXSMICON);
        windowClass.lpszClassName = className.c_str();
        RegisterClassExW(&windowClass);
    }
    HMENU menu = design.menu.empty() ? nullptr : createMenuBar(design);
    HWND window = CreateWindowExW(WS_EX_CONTROLPARENT,
        className.c_str(),
        wideText(design.caption).c_str(),
        fixedWindowStyle,
        CW_USEDEFAULT,
        CW_USEDEFAULT,
        0,
        0,
        owner,
        menu,
        GetModuleHandleW(nullptr),
        self);
    if (window != nullptr) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(loadIcon(design.icon, SM_CXICON)));
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loadIcon(design.icon, SM_CXSMICON)));
    }
    return window;
}

void* describedSelf(HWND window, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        void* self = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT defaultHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProcW(window, message, wParam, lParam);
}

HMENU createMenuBar(const WindowDescription& design)
{
    HMENU bar = CreateMenu();
    HMENU menu = nullptr;
    for (const MenuItemDescription& item : design.menu) {
        const std::wstring caption = wideText(item.caption);
        if (item.level == 0) {
            menu = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu), caption.c_str());
        } else if (item.separator()) {
            AppendMenuW(menu, MF_SEPARATOR, static_cast<UINT_PTR>(item.id), nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), caption.c_str());
        }
    }
    return bar;
}

void dispatchMessage(MSG& message)
{
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && isDescribedWindow(root) && IsDialogMessageW(root, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void runModal(HWND window, HWND owner, const bool& closed, const std::function<void()>& show)
{
    const bool ownerWasEnabled = owner != nullptr && !EnableWindow(owner, FALSE);
    show();
    MSG message;
    while (!closed) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: leave the request to quit for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        dispatchMessage(message);
    }
    // The owner takes the activation back before this window goes, so it does not fall behind others.
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    ShowWindow(window, SW_HIDE);
    DestroyWindow(window);
}

bool handleWaitingMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        dispatchMessage(message);
    }
    return true;
}

NativeControls::NativeControls(const WindowDescription& design)
    : m_design(design)
{
}

NativeControls::~NativeControls()
{
    // The controls go with their window; the fonts are ours.
    if (m_messageFont != nullptr)
        DeleteObject(m_messageFont);
    for (HFONT font : m_namedFonts)
        if (font != nullptr)
            DeleteObject(font);
    for (HBITMAP picture : m_pictures)
        if (picture != nullptr)
            DeleteObject(picture);
}

void NativeControls::create(HWND window)
{
    m_window = window;
    const auto& controls = m_design.controls;
    m_controls.assign(controls.size(), nullptr);
    m_pictures.assign(controls.size(), nullptr);

    // Tab visits the controls in the order they were created, so those that take the focus come first, in
    // Tab order; the others follow in their own order.
    std::vector<std::size_t> order;
    for (const std::string& name : m_design.tabOrder)
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].objectName() == name)
                order.push_back(i);
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);

    const ControlDescription* previous = nullptr;
    for (const std::size_t index : order) {
        const ControlDescription& control = controls[index];
        const NativeKind kind = nativeKind(control);
        DWORD style = WS_CHILD | kind.style;
        if (control.visibleAtStart)
            style |= WS_VISIBLE;
        if (control.takesFocus())
            style |= WS_TABSTOP;
        // Option buttons that follow one another in the same frame are one group: the arrow keys move
        // between them and checking one clears the others. Every other control starts a group of its own.
        const bool sameGroup = previous != nullptr && control.kind == ControlKind::OptionButton
            && previous->kind == ControlKind::OptionButton && previous->parent == control.parent;
        if (!sameGroup)
            style |= WS_GROUP;
        const std::wstring caption = control.kind == ControlKind::Picture ? std::wstring() : wideText(control.caption);
        HWND native = CreateWindowExW(kind.exStyle,
            kind.className,
            caption.c_str(),
            style,
            0,
            0,
            0,
            0,
            window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
            GetModuleHandleW(nullptr),
            nullptr);
        assert(native != nullptr);
        m_controls[index] = native;
        previous = &control;

        if (control.kind == ControlKind::OptionButton && control.selectedAtStart)
            SendMessageW(native, BM_SETCHECK, BST_CHECKED, 0);
        for (const std::string& item : control.items)
            SendMessageW(native, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(item).c_str()));
        if (control.defaultButton)
            SendMessageW(window, DM_SETDEFID, static_cast<WPARAM>(control.id), 0);
    }

    m_tooltip = CreateWindowExW(WS_EX_TOPMOST,
        TOOLTIPS_CLASSW,
        nullptr,
        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
        CW_USEDEFAULT,
        CW_USEDEFAULT,
        CW_USEDEFAULT,
        CW_USEDEFAULT,
        window,
        nullptr,
        GetModuleHandleW(nullptr),
        nullptr);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].tooltip.empty())
            continue;
        std::wstring text = wideText(controls[i].tooltip);
        TTTOOLINFOW tool {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(m_controls[i]);
        tool.lpszText = text.data();
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    layout(windowDpi(window));
}

void NativeControls::layout(int dpi)
{
    m_dpi = dpi;
    const HFONT oldMessageFont = m_messageFont;
    const std::vector<HFONT> oldNamedFonts = m_namedFonts;
    m_messageFont = createMessageFont(dpi);
    m_namedFonts.assign(m_design.controls.size(), nullptr);
    for (std::size_t i = 0; i < m_design.controls.size(); ++i) {
        const FontDescription& font = m_design.controls[i].font;
        if (!font.family.empty() && m_design.controls[i].kind != ControlKind::RichTextBox)
            m_namedFonts[i] = createNamedFont(font, dpi);
    }

    // The window is as large as its client area in twips, with whatever border, title and menu bar the
    // system draws around it.
    const int clientWidth = twipsToPixels(m_design.clientWidth, dpi);
    const int clientHeight = twipsToPixels(m_design.clientHeight, dpi);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE));
    RECT outer { 0, 0, clientWidth, clientHeight };
    AdjustWindowRectExForDpi(&outer, style, GetMenu(m_window) != nullptr, exStyle, static_cast<UINT>(dpi));
    SetWindowPos(m_window,
        nullptr,
        0,
        0,
        outer.right - outer.left,
        outer.bottom - outer.top,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // What the system really draws around the client area decides: a menu bar that wraps onto a second
    // line, or borders drawn for another density than the one asked for.
    RECT client {};
    GetClientRect(m_window, &client);
    if (client.bottom != clientHeight || client.right != clientWidth)
        SetWindowPos(m_window,
            nullptr,
            0,
            0,
            outer.right - outer.left + clientWidth - client.right,
            outer.bottom - outer.top + clientHeight - client.bottom,
            SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (std::size_t i = 0; i < m_design.controls.size(); ++i) {
        const ControlDescription& control = m_design.controls[i];
        HWND native = m_controls[i];
        if (control.kind == ControlKind::RichTextBox)
            setRichTextFont(native, control.font);
        else
            SendMessageW(native, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(control)), FALSE);
        place(i);
    }
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, dpi, 96));

    if (oldMessageFont != nullptr)
        DeleteObject(oldMessageFont);
    for (HFONT font : oldNamedFonts)
        if (font != nullptr)
            DeleteObject(font);
}

void NativeControls::place(std::size_t index)
{
    const ControlDescription& control = m_design.controls[index];
    HWND native = m_controls[index];
    const PixelRect rect = controlPlacement(m_design, control, m_dpi, contentSize(native, control));
    if (control.kind == ControlKind::Picture) {
        // The picture is drawn at its rectangle's size, which grows with the density.
        auto* picture = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
            wideText(control.caption).c_str(),
            IMAGE_BITMAP,
            rect.width,
            rect.height,
            LR_CREATEDIBSECTION));
        SendMessageW(native, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
        if (m_pictures[index] != nullptr)
            DeleteObject(m_pictures[index]);
        m_pictures[index] = picture;
    }
    SetWindowPos(native, nullptr, rect.left, rect.top, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(native, nullptr, TRUE);
}

void NativeControls::place(HWND control)
{
    for (std::size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i] == control)
            place(i);
}

void NativeControls::showMenuTooltip(HMENU menu, UINT id, UINT flags)
{
    TTTOOLINFOW tool {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_window;
    tool.uId = menuTooltipTool;
    // For a menu that opens, the number is its position, not an item's; 0xFFFF without a menu: closed.
    const bool item = menu != nullptr && (flags & (MF_POPUP | MF_SEPARATOR)) == 0 && flags != 0xFFFF;
    const MenuItemDescription* described = item ? m_design.menuItemById(static_cast<int>(id)) : nullptr;
    if (described == nullptr || described->tooltip.empty()) {
        if (m_menuTooltipAdded)
            SendMessageW(m_tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    std::wstring text = wideText(described->tooltip);
    tool.lpszText = text.data();
    if (!m_menuTooltipAdded) {
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        m_menuTooltipAdded = true;
    } else {
        SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Beside the item's right edge, where it hides none of the menu.
    RECT place {};
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == id)
            GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &place);
    SendMessageW(m_tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(place.right, place.top));
    SendMessageW(m_tooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void NativeControls::pressCancelButton() const
{
    if (const ControlDescription* cancel = m_design.cancelButton())
        SendMessageW(control(cancel->objectName()), BM_CLICK, 0, 0);
}

void NativeControls::moveToDpi(int dpi, const RECT& suggested)
{
    layout(dpi);
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeControls::centre(HWND over) const
{
    RECT window {};
    GetWindowRect(m_window, &window);
    MONITORINFO monitor {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(over != nullptr ? over : m_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT area = monitor.rcWork;
    if (over != nullptr)
        GetWindowRect(over, &area);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG left = area.left + (area.right - area.left - width) / 2;
    LONG top = area.top + (area.bottom - area.top - height) / 2;
    // Never off the screen, whatever the size of the window it is centred over.
    left = std::max(monitor.rcWork.left, std::min(left, monitor.rcWork.right - width));
    top = std::max(monitor.rcWork.top, std::min(top, monitor.rcWork.bottom - height));
    SetWindowPos(m_window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND NativeControls::control(std::string_view objectName) const
{
    for (std::size_t i = 0; i < m_design.controls.size(); ++i)
        if (m_design.controls[i].objectName() == objectName)
            return m_controls[i];
    return nullptr;
}

const ControlDescription* NativeControls::describe(HWND control) const
{
    for (std::size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i] == control)
            return &m_design.controls[i];
    return nullptr;
}

HBRUSH NativeControls::background(HWND control, HDC dc) const
{
    const ControlDescription* described = describe(control);
    if (described == nullptr || !described->scrollBarBackground)
        return nullptr;
    SetBkColor(dc, GetSysColor(COLOR_SCROLLBAR));
    return GetSysColorBrush(COLOR_SCROLLBAR);
}

HFONT NativeControls::fontFor(const ControlDescription& control) const
{
    const std::size_t index = static_cast<std::size_t>(&control - m_design.controls.data());
    return m_namedFonts.at(index) != nullptr ? m_namedFonts[index] : m_messageFont;
}

} // namespace tessely
