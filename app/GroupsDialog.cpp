#include "GroupsDialog.h"

#include "MessageBoxLayer.h"
#include "WindowDrawing.h"
#include "ui/frmGroupsDescription.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessely
{

frmGroups::frmGroups(QWidget* parent)
    : QDialog(parent)
{
    const WindowDescription& design = frmGroupsDescription();
    setUpFixedWindow(*this, Qt::Dialog, design);
    setModal(true);
    createControls(*this, design);
    setFixedSize(clientPixels(*this, design));

    lblPerFile = findChild<QLabel*>(QStringLiteral("lblPerFile"));
    txtPerFile = findChild<QLineEdit*>(QStringLiteral("txtPerFile"));
    lblMaxSize = findChild<QLabel*>(QStringLiteral("lblMaxSize"));
    txtMaxSize = findChild<QLineEdit*>(QStringLiteral("txtMaxSize"));
    cmdOK = findChild<QPushButton*>(QStringLiteral("cmdOK"));
    cmdCancel = findChild<QPushButton*>(QStringLiteral("cmdCancel"));

    applyTabOrder(*this, design);
    txtPerFile->selectAll();
    connect(cmdOK, &QPushButton::clicked, this, &frmGroups::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmGroups::cmdCancel_Click);
}

void frmGroups::cmdOK_Click()
{
    const GroupsAnswer answer = readGroupsDialog(txtPerFile->text().toStdString(), txtMaxSize->text().toStdString());
    if (!answer.groups) {
        QtMessageBoxLayer().show(this, answer.problem);
        if (auto* box = findChild<QLineEdit*>(qtText(answer.field))) {
            box->setFocus();
            box->selectAll();
        }
        return;
    }
    m_groups = answer.groups;
    accept();
}

void frmGroups::cmdCancel_Click()
{
    reject();
}

std::optional<ContactGroups> QtGroupsDialog::ask(QWidget* parent)
{
    frmGroups dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.groups();
}

} // namespace tessely
