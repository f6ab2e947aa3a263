#include "app/GroupsDialog.h"
#include "app/WindowDrawing.h"
#include "ui/ControlPlacement.h"
#include "ui/frmGroupsDescription.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tessely
{
namespace
{

const WindowDescription& design = frmGroupsDescription();

TEST(frmGroups, DrawsEveryControlAsDescribed)
{
    frmGroups dialog;
    EXPECT_EQ(dialog.objectName().toStdString(), design.name);
    EXPECT_EQ(dialog.windowTitle().toStdString(), design.caption);
    const PixelSize client = clientSize(design, dialog.logicalDpiY());
    EXPECT_EQ(dialog.size(), QSize(client.width, client.height));
    for (const ControlDescription& control : design.controls) {
        QWidget* widget = dialog.findChild<QWidget*>(qtText(control.objectName()));
        ASSERT_NE(widget, nullptr) << control.objectName();
        const PixelRect rect = controlPlacement(design, control, widget->logicalDpiY());
        EXPECT_EQ(widget->geometry(), QRect(rect.left, rect.top, rect.width, rect.height)) << control.objectName();
        EXPECT_EQ(widget->toolTip().toStdString(), control.tooltip) << control.objectName();
    }
    EXPECT_EQ(dialog.txtPerFile->text().toStdString(), design.control("txtPerFile").caption);
    EXPECT_EQ(dialog.txtMaxSize->text().toStdString(), design.control("txtMaxSize").caption);
    EXPECT_EQ(dialog.lblPerFile->text().toStdString(), design.control("lblPerFile").caption);
    EXPECT_TRUE(dialog.cmdOK->isDefault());
}

TEST(frmGroups, OkTakesTheBoxesWhileCancelEscAndTheCloseBoxTakeNothing)
{
    const struct {
        const char* name;
        std::function<void(frmGroups&)> act;
        std::optional<ContactGroups> expected;
    } cases[] = {
        { "OK as it opens",
            [](frmGroups& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); },
            ContactGroups { 100, 0 } },
        { "typed, then Enter",
            [](frmGroups& d) {
                d.txtPerFile->selectAll();
                QTest::keyClicks(d.txtPerFile, "250");
                QTest::keyClicks(d.txtMaxSize, "2.5");
                QTest::keyClick(d.txtMaxSize, Qt::Key_Return);
            },
            ContactGroups { 250, 2621440 } },
        { "Cancel", [](frmGroups& d) { QTest::mouseClick(d.cmdCancel, Qt::LeftButton); }, std::nullopt },
        { "Esc", [](frmGroups& d) { QTest::keyClick(d.txtPerFile, Qt::Key_Escape); }, std::nullopt },
        { "close box", [](frmGroups& d) { d.close(); }, std::nullopt },
    };
    for (const auto& c : cases) {
        frmGroups dialog;
        bool stillOpen = true;
        QTimer::singleShot(0, [&] {
            c.act(dialog);
            stillOpen = dialog.isVisible();
            if (stillOpen)
                dialog.done(QDialog::Rejected);
        });
        const int answer = dialog.exec();
        EXPECT_FALSE(stillOpen) << c.name;
        EXPECT_EQ(answer == QDialog::Accepted, c.expected.has_value()) << c.name;
        EXPECT_EQ(dialog.groups().has_value(), c.expected.has_value()) << c.name;
        if (c.expected && dialog.groups()) {
            EXPECT_EQ(dialog.groups()->perFile, c.expected->perFile) << c.name;
            EXPECT_EQ(dialog.groups()->largestBytes, c.expected->largestBytes) << c.name;
        }
    }
}

TEST(frmGroups, OkOnABoxItCannotTakeSaysWhyAndStaysOpenOnThatBox)
{
    frmGroups dialog;
    std::string said;
    bool stillOpen = false;
    QWidget* focused = nullptr;
    QTimer::singleShot(0, [&] {
        dialog.txtMaxSize->setText(QStringLiteral("lots"));
        // The message box is modal: it is read and closed from the event loop it runs.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said = box->text().toStdString();
                box->accept();
            }
        });
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        stillOpen = dialog.isVisible();
        focused = dialog.focusWidget();
        dialog.done(QDialog::Rejected);
    });
    dialog.exec();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(said, readGroupsDialog("100", "lots").problem.text());
    EXPECT_EQ(focused, dialog.txtMaxSize);
    EXPECT_FALSE(dialog.groups());
}

} // namespace
} // namespace tessely
