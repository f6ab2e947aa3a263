#ifndef TESSELY_WIN32_SOURCEDIALOG_H
#define TESSELY_WIN32_SOURCEDIALOG_H

#include "Win32Api.h"
#include "controller/Operation.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessely
{

/// The main window's file-open dialog `cdcSource` as the system's file-open dialog (`GetOpenFileNameW`).
/// Opens in the folder last chosen, for as long as the program runs.
class Win32SourceDialog
{
public:
    /// The dialog's answer starts with room for `answerSize` characters: enough for thousands of names.
    /// An answer that needs more is asked for again with room for it, never cut short.
    explicit Win32SourceDialog(std::size_t answerSize = std::size_t(1) << 20);
    virtual ~Win32SourceDialog() = default;
    /// Shows the dialog set up for one job modally over `owner` and gives the files chosen; an empty
    /// selection when the user cancelled.
    Selection showOpen(HWND owner, const DialogSetup& setup);

    /// The folder the dialog opens in; empty for the system's choice.
    std::wstring folder;
    /// How many times the last `showOpen` showed the dialog: more than once when the first answer did not
    /// fit.
    int timesShown = 0;

protected:
    /// Shows the system's dialog; false, with the dialog's error (0 when the user cancelled), when it gave
    /// no answer.
    virtual bool ask(OPENFILENAMEW& dialog, DWORD& error);

private:
    std::size_t m_answerSize;
};

/// The dialog's file-type list: each description and its patterns (joined by ";"), all ending in NUL, and
/// one more NUL at the end.
std::wstring dialogFilter(const std::vector<FileFilter>& filters);

/// The dialog's flags for a selection mode: the explorer-style dialog, and several files only where the job
/// takes several. No flag demands that the file exists, so a typed name of a missing file is handed on.
DWORD dialogFlags(SelectionMode mode);

/// The selection in the dialog's answer: the text up to its first two NULs in a row. With one file it is
/// that file's path; with several it is the folder, NUL, and each name, separated by NULs.
Selection selectionFromAnswer(std::wstring_view answer);

/// The room to ask for after an answer that did not fit in `size` characters, when the dialog said it needs
/// `needed` (which may be 0 or counted in bytes): always more than `size`.
std::size_t largerAnswerSize(std::size_t size, std::size_t needed);

} // namespace tessely

#endif
