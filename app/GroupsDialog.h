#ifndef TESSELY_APP_GROUPSDIALOG_H
#define TESSELY_APP_GROUPSDIALOG_H

#include "split/SplitIntoGroups.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessely
{

/// The dialog that asks how a split into groups fills its files, drawn from its description: the contacts
/// per file and the largest size in MB, with OK and Cancel. OK takes the boxes only when they read as a
/// number of contacts and a size; otherwise it says what is allowed and puts the focus on the box to fix.
class frmGroups : public QDialog
{
    Q_OBJECT

public:
    explicit frmGroups(QWidget* parent = nullptr);

    /// What OK took; nothing before OK.
    const std::optional<ContactGroups>& groups() const
    {
        return m_groups;
    }

    QLabel* lblPerFile = nullptr;
    QLineEdit* txtPerFile = nullptr;
    QLabel* lblMaxSize = nullptr;
    QLineEdit* txtMaxSize = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

public slots:
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    std::optional<ContactGroups> m_groups;
};

/// The main window's groups dialog, as the window's dialogs show it.
class QtGroupsDialog
{
public:
    /// Shows `frmGroups` modally over `parent`; the groups, or nothing when the user cancelled.
    std::optional<ContactGroups> ask(QWidget* parent);
};

} // namespace tessely

#endif
