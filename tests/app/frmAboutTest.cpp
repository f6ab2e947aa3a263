#include "app/frmAbout.h"

#include "app/WindowDrawing.h"
#include "ui/ControlPlacement.h"
#include "ui/frmAboutDescription.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tessely
{
namespace
{

const WindowDescription& design = frmAboutDescription();

QRect describedPlace(const QWidget& widget, const ControlDescription& control, PixelSize content = {})
{
    const PixelRect rect = controlPlacement(design, control, widget.logicalDpiY(), content);
    return { rect.left, rect.top, rect.width, rect.height };
}

TEST(frmAbout, DrawsEveryControlAsDescribed)
{
    frmAbout about;
    EXPECT_EQ(about.objectName().toStdString(), design.name);
    EXPECT_EQ(about.windowTitle().toStdString(), design.caption);
    const PixelSize client = clientSize(design, about.logicalDpiY());
    EXPECT_EQ(about.size(), QSize(client.width, client.height));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    for (const ControlDescription& control : design.controls) {
        QWidget* widget = about.findChild<QWidget*>(qtText(control.objectName()));
        ASSERT_NE(widget, nullptr) << control.objectName();
        if (control.fit == ContentFit::None) {
            EXPECT_EQ(widget->geometry(), describedPlace(*widget, control)) << control.objectName();
        }
        if (!control.font.family.empty()) {
            EXPECT_EQ(widget->font().bold(), control.font.bold) << control.objectName();
            EXPECT_EQ(widget->font().pointSizeF(), control.font.points) << control.objectName();
        }
    }
    EXPECT_EQ(about.lblVersion->text().toStdString(), versionCaption()) << "never the bare design text";
    EXPECT_EQ(about.Label1->text().toStdString(), design.control("Label1").caption);
    EXPECT_EQ(about.cmdOK->text().toStdString(), design.control("cmdOK").caption);
    EXPECT_EQ(about.cmdOK->isDefault(), design.control("cmdOK").defaultButton);
    EXPECT_EQ(about.RichTextBox1->toPlainText().toStdString(), design.control("RichTextBox1").caption);
    EXPECT_EQ(about.RichTextBox1->document()->blockCount(), 1) << "one paragraph";
    EXPECT_EQ(about.Line1->frameShape(), QFrame::HLine);
    EXPECT_EQ(about.Image1->size(), describedPlace(*about.Image1, design.control("Image1")).size())
        << "the picture fills its rectangle at any density";
    EXPECT_TRUE(about.Image1->hasScaledContents());
}

TEST(frmAbout, TheListShowsEveryLineWhole)
{
    frmAbout about;
    std::vector<std::string> lines;
    for (int i = 0; i < about.lstHeader->count(); ++i)
        lines.push_back(about.lstHeader->item(i)->text().toStdString());
    EXPECT_EQ(lines, design.control("lstHeader").items);
    const QRect described = describedPlace(*about.lstHeader, design.control("lstHeader"));
    const QRect list = about.lstHeader->geometry();
    EXPECT_GE(list.width(), about.lstHeader->sizeHintForColumn(0) + 2 * about.lstHeader->frameWidth());
    EXPECT_GE(list.height(), about.lstHeader->count() * about.lstHeader->sizeHintForRow(0));
    EXPECT_EQ(list.top(), described.top());
    EXPECT_LE(std::abs(list.center().x() - described.center().x()), 1);
}

TEST(frmAbout, TabVisitsTheControlsInTheDescribedOrder)
{
    frmAbout about;
    about.show();
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    std::vector<std::string> visited = { QApplication::focusWidget()->objectName().toStdString() };
    for (std::size_t i = 1; i < design.tabOrder.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(visited, design.tabOrder);
    EXPECT_EQ(visited.front(), design.focus);
}

TEST(frmAbout, OkEnterEscapeAndTheCloseBoxCloseIt)
{
    const struct {
        const char* name;
        std::function<void(frmAbout&)> press;
    } cases[] = {
        { "OK clicked", [](frmAbout& about) { QTest::mouseClick(about.cmdOK, Qt::LeftButton); } },
        { "Enter on the list", [](frmAbout& about) { QTest::keyClick(about.lstHeader, Qt::Key_Return); } },
        { "Enter on the description", [](frmAbout& about) { QTest::keyClick(about.RichTextBox1, Qt::Key_Enter); } },
        { "Esc", [](frmAbout& about) { QTest::keyClick(about.focusWidget(), Qt::Key_Escape); } },
        { "close box", [](frmAbout& about) { about.close(); } },
    };
    for (const auto& c : cases) {
        frmAbout about;
        bool stillOpen = true;
        QTimer::singleShot(0, [&] {
            c.press(about);
            stillOpen = about.isVisible();
            if (stillOpen)
                about.done(QDialog::Rejected);
        });
        about.exec();
        EXPECT_FALSE(stillOpen) << c.name;
    }
}

} // namespace
} // namespace tessely
