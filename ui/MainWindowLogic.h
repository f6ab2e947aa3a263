#ifndef TESSELY_UI_MAINWINDOWLOGIC_H
#define TESSELY_UI_MAINWINDOWLOGIC_H

#include "JobPacing.h"
#include "WindowDescription.h"
#include "controller/RunOperation.h"
#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tessely
{

/// What the main window's behaviour asks of the toolkit that draws the window.
class MainWindowView
{
public:
    virtual ~MainWindowView() = default;
    /// The naming choice as the option buttons show it now.
    virtual SplitNaming naming() = 0;
    /// Shows or hides the status label `lblStatus`.
    virtual void showStatus(bool visible) = 0;
    /// Sets the status label's caption, the label making room for it as its description says.
    virtual void setStatusCaption(const std::string& caption) = 0;
    /// Repaints and handles the input that waits, without waiting for more. False when the program was
    /// asked to quit meanwhile.
    virtual bool handleEvents() = 0;
    /// Shows a new About window modally and returns when it has closed.
    virtual void showAbout() = 0;
    /// Closes the window as its close box does; the toolkit then tells `MainWindowLogic::closing`.
    virtual void closeWindow() = 0;
    /// The window has closed and no job runs in it any more: it may go.
    virtual void destroyWindow() = 0;
};

/// Where files handed to the window come from.
enum class FileSource {
    /// Named on the program's command line (by the user, a file manager's "Open With"): taken as given, as
    /// the open dialog's "All Files" would take them.
    CommandLine,
    /// Dropped on the window: only vCard files are taken, anything else is refused with a message.
    Drop,
};

/// The job a command of the window starts, or nothing for the commands that start none.
std::optional<OperationKind> jobFor(WindowCommand command);

/// The main window's behaviour, the same whichever toolkit draws the window: which command runs which job,
/// one job at a time (commands during a job are ignored), jobs started from files handed to the window, the
/// status label that counts while a job runs, paced so the window keeps up without slowing the job, and a
/// running job stopped when the window closes. The toolkit draws the window's description, forwards its
/// commands, drops and closing here, and does what `MainWindowView` asks.
class MainWindowLogic final : public JobHost
{
public:
    /// The logic of a window drawn by `view`, showing its dialogs through `dialogs`, working on `fs`; all
    /// three must outlive it. The window catches up with a running job once per `pacing`.
    MainWindowLogic(MainWindowView& view,
        OperationUi& dialogs,
        FileSystem& fs,
        std::chrono::milliseconds pacing = JobPacing::usualInterval);

    /// A command of the window's description, from a menu item, a button or a key.
    void command(WindowCommand command);
    /// Runs the job on files handed to the window, given by their paths (relative ones are taken from the
    /// current folder): one file is split with the window's naming choice, two or more of one folder are
    /// recombined in the order given.
    void openFiles(const std::vector<std::string>& paths, FileSource source);
    /// True when the window takes files now (no job runs and it is not closing), so a toolkit can show a
    /// drag as refused.
    bool takesFiles() const;
    /// The window is closing (its close box, File > Exit): a running job stops at its next yield, keeping
    /// the files it has written, and no command runs any more.
    void closing();
    /// True while a job (or its dialog) runs.
    bool isBusy() const;

    void showStatus(bool visible) override;
    void setStatus(std::uint64_t number) override;
    /// Lets the window catch up, at most once per pacing interval. False once the window is closing.
    bool yield() override;
    bool stopRequested() override;

private:
    /// Asks for and runs a job of `kind`, or runs `request` when it is given.
    void run(OperationKind kind, std::optional<OperationRequest> request);
    std::optional<OperationRequest> requestForFiles(const std::vector<std::string>& paths, FileSource source);

    MainWindowView& m_view;
    OperationUi& m_dialogs;
    FileSystem& m_fs;
    JobPacing m_pacing;
    bool m_busy = false;
    bool m_ending = false;
};

} // namespace tessely

#endif
