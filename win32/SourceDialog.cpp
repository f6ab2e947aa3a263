#include "SourceDialog.h"

#include "NativeWindow.h"
#include "ParseMultiSelection.h"
#include "Win32Api.h"
#include "platform/WideText.h"

#include <algorithm>

namespace tessely
{

namespace
{

constexpr std::size_t overrunRoom = 1 << 16;

} // namespace

Win32SourceDialog::Win32SourceDialog(std::size_t answerSize)
    : m_answerSize(answerSize)
{
}

Selection Win32SourceDialog::showOpen(HWND owner, const DialogSetup& setup)
{
    const std::wstring filter = dialogFilter(setup.filters);
    const std::wstring title = wideText(setup.title);
    timesShown = 0;
    std::size_t size = m_answerSize;
    for (;;) {
        // Room past the end too: Wine's dialog writes an answer of several names whole, however little room
        // it was given.
        std::vector<wchar_t> answer(size + overrunRoom, L'\0');
        OPENFILENAMEW dialog {};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = owner;
        dialog.lpstrFilter = filter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = answer.data();
        dialog.nMaxFile = static_cast<DWORD>(size);
        dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        dialog.lpstrTitle = title.c_str();
        dialog.Flags = dialogFlags(setup.mode);
        ++timesShown;
        DWORD error = 0;
        if (ask(dialog, error)) {
            Selection selection = selectionFromAnswer(std::wstring_view(answer.data(), answer.size()));
            if (!selection.empty())
                toWide(selection.folder, folder);
            return selection;
        }
        if (error != FNERR_BUFFERTOOSMALL)
            return {};
        // The dialog put the room it needs in the answer's first two bytes.
        size = largerAnswerSize(size, static_cast<std::size_t>(static_cast<unsigned short>(answer[0])));
    }
}

bool Win32SourceDialog::ask(OPENFILENAMEW& dialog, DWORD& error)
{
    if (GetOpenFileNameW(&dialog))
        return true;
    error = CommDlgExtendedError();
    return false;
}

std::wstring dialogFilter(const std::vector<FileFilter>& filters)
{
    std::wstring text;
    for (const FileFilter& filter : filters) {
        text += wideText(filter.description);
        text += L'\0';
        for (std::size_t i = 0; i < filter.patterns.size(); ++i) {
            if (i > 0)
                text += L';';
            text += wideText(filter.patterns[i]);
        }
        text += L'\0';
    }
    text += L'\0';
    return text;
}

DWORD dialogFlags(SelectionMode mode)
{
    DWORD flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (mode == SelectionMode::SeveralFiles)
        flags |= OFN_ALLOWMULTISELECT;
    return flags;
}

Selection selectionFromAnswer(std::wstring_view answer)
{
    const std::size_t end = answer.find(std::wstring_view(L"\0\0", 2));
    const std::string text = toUtf8(answer.substr(0, end));
    if (text.empty())
        return {};
    if (text.find('\0') == std::string::npos)
        return Selection::ofPath(text);
    Selection selection;
    selection.folder = ParseMultiSelection(text, selection.names);
    // A folder with one name after it is still one file chosen.
    if (selection.names.empty())
        selection.names.push_back(text.substr(text.find('\0') + 1));
    // A drive's root comes with its separator ("C:\"); the paths put one between folder and name.
    if (selection.folder.size() > 1 && selection.folder.back() == '\\')
        selection.folder.pop_back();
    return selection;
}

std::size_t largerAnswerSize(std::size_t size, std::size_t needed)
{
    return std::max(size * 2, needed + 2);
}

} // namespace tessely
