#ifndef TESSELY_UI_WINDOWDIALOGS_H
#define TESSELY_UI_WINDOWDIALOGS_H

#include "controller/RunOperation.h"

#include <optional>

namespace tessely
{

/// A window's dialogs as a toolkit draws them, over the window: `OpenDialog` shows the open dialog
/// (`Selection showOpen(Owner, const DialogSetup&)`), `MessageBox` the message box
/// (`void show(Owner, const Message&)`) and `GroupsDialog` the dialog `frmGroups`
/// (`std::optional<ContactGroups> ask(Owner)`).
template <class Owner, class OpenDialog, class MessageBox, class GroupsDialog>
class WindowDialogs final : public OperationUi
{
public:
    explicit WindowDialogs(Owner owner)
        : m_owner(owner)
    {
    }
    Selection showOpen(const DialogSetup& setup) override
    {
        return m_openDialog.showOpen(m_owner, setup);
    }
    void showMessage(const Message& message) override
    {
        m_messageBox.show(m_owner, message);
    }
    std::optional<ContactGroups> askGroups() override
    {
        return m_groupsDialog.ask(m_owner);
    }
    /// The open dialog, for its settings.
    OpenDialog& openDialog()
    {
        return m_openDialog;
    }

private:
    Owner m_owner;
    OpenDialog m_openDialog;
    MessageBox m_messageBox;
    GroupsDialog m_groupsDialog;
};

} // namespace tessely

#endif
