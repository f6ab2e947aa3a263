#include "MainWindowLogic.h"

#include "platform/Paths.h"

#include <filesystem>
#include <system_error>

namespace tessely
{

namespace
{

/// `path` from the current folder when it is relative, with the system's own separators; as given when the
/// current folder cannot be told.
std::string absoluteFromHere(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(path), error);
    if (error)
        return path;
    return absolute.make_preferred().u8string();
}

/// Marks the window busy for as long as it lives, however the job ends.
class BusyGuard
{
public:
    explicit BusyGuard(bool& busy)
        : m_busy(busy)
    {
        m_busy = true;
    }
    ~BusyGuard()
    {
        m_busy = false;
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& m_busy;
};

} // namespace

std::optional<OperationKind> jobFor(WindowCommand command)
{
    switch (command) {
    case WindowCommand::Run:
        return OperationKind::Split;
    case WindowCommand::Export:
        return OperationKind::Export;
    case WindowCommand::ExportWorkbook:
        return OperationKind::ExportWorkbook;
    case WindowCommand::ReCombine:
        return OperationKind::Recombine;
    case WindowCommand::SplitGroups:
        return OperationKind::SplitGroups;
    case WindowCommand::OpenMenu:
    case WindowCommand::None:
    case WindowCommand::Exit:
    case WindowCommand::About:
        break;
    }
    return std::nullopt;
}

MainWindowLogic::MainWindowLogic(
    MainWindowView& view, OperationUi& dialogs, FileSystem& fs, std::chrono::milliseconds pacing)
    : m_view(view)
    , m_dialogs(dialogs)
    , m_fs(fs)
    , m_pacing(pacing)
{
}

void MainWindowLogic::command(WindowCommand command)
{
    if (m_ending)
        return;
    if (const auto kind = jobFor(command)) {
        run(*kind, std::nullopt);
        return;
    }
    switch (command) {
    case WindowCommand::About:
        // The About window is modal: a running job waits while it is open.
        m_view.showAbout();
        break;
    case WindowCommand::Exit:
        m_view.closeWindow();
        break;
    case WindowCommand::OpenMenu:
    case WindowCommand::None:
    case WindowCommand::Run:
    case WindowCommand::ReCombine:
    case WindowCommand::Export:
    case WindowCommand::ExportWorkbook:
    case WindowCommand::SplitGroups:
        break;
    }
}

void MainWindowLogic::openFiles(const std::vector<std::string>& paths, FileSource source)
{
    if (!takesFiles() || paths.empty())
        return;
    if (auto request = requestForFiles(paths, source))
        run(request->kind, std::move(request));
}

std::optional<OperationRequest> MainWindowLogic::requestForFiles(
    const std::vector<std::string>& paths, FileSource source)
{
    if (source == FileSource::Drop) {
        std::vector<std::string> refused;
        for (const std::string& path : paths)
            if (!matchesFilter(sourceFilters().front(), GetFileName(path)))
                refused.push_back(GetFileName(path));
        if (!refused.empty()) {
            m_dialogs.showMessage(notVCardFilesMessage(refused));
            return std::nullopt;
        }
    }
    OperationRequest request;
    if (paths.size() == 1) {
        request.kind = OperationKind::Split;
        request.selection = Selection::ofPath(absoluteFromHere(paths.front()));
        return request;
    }
    request.kind = OperationKind::Recombine;
    for (const std::string& given : paths) {
        const std::string path = absoluteFromHere(given);
        const std::string folder = GetParentFolderName(path);
        if (request.selection.names.empty()) {
            request.selection.folder = folder;
        } else if (folder != request.selection.folder) {
            m_dialogs.showMessage(severalFoldersMessage());
            return std::nullopt;
        }
        request.selection.names.push_back(GetFileName(path));
    }
    return request;
}

void MainWindowLogic::run(OperationKind kind, std::optional<OperationRequest> request)
{
    if (m_busy || m_ending)
        return;
    {
        const BusyGuard busy(m_busy);
        m_pacing.start();
        if (!request)
            request = askForRequest(kind, m_dialogs);
        if (request) {
            // The naming choice as it stands when the job starts; changing it later is for the next split.
            request->naming = m_view.naming();
            RunOperation(*request, m_dialogs, m_fs, *this);
        }
    }
    if (m_ending)
        m_view.destroyWindow();
}

bool MainWindowLogic::takesFiles() const
{
    return !m_busy && !m_ending;
}

void MainWindowLogic::closing()
{
    if (m_ending)
        return;
    m_ending = true;
    // A running job sees the request at its next yield; the window goes once the job has returned.
    if (!m_busy)
        m_view.destroyWindow();
}

bool MainWindowLogic::isBusy() const
{
    return m_busy;
}

void MainWindowLogic::showStatus(bool visible)
{
    m_view.showStatus(visible);
}

void MainWindowLogic::setStatus(std::uint64_t number)
{
    m_pacing.setStatus(number);
}

bool MainWindowLogic::yield()
{
    if (m_ending)
        return false;
    if (m_pacing.due()) {
        if (const auto caption = m_pacing.takeCaption())
            m_view.setStatusCaption(*caption);
        if (!m_view.handleEvents())
            m_ending = true;
    }
    return !m_ending;
}

bool MainWindowLogic::stopRequested()
{
    return m_ending;
}

} // namespace tessely
