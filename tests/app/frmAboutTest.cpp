#include "app/frmAbout.h"

#include "app/Twips.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
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

const char* const description
    = "The Tessely is a small, inexpensive application created to circumvent the issue of incompatibility when "
      "importing vCard files that contain multiple contacts (such as by many cell phones).  This application will "
      "create individual files for each contact in a multiple vCard file, and save them independently using either "
      "the contact information or named sequentially.  There is also an added tool that will recombine multiple "
      "vCard files back into a single, large vCard file.  Additionally, the application  includes an export "
      "utility to allow a user to easily see all the available fields present in a multi-contact vCard file.  If "
      "any assistance or additional functionality is desired, feel free to contact us at the email address "
      "listed above.";

TEST(frmAbout, ShowsVersionMakerAndDescription)
{
    frmAbout about;
    EXPECT_EQ(about.objectName(), QStringLiteral("frmAbout"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Tessely"));
    const std::pair<const char*, QWidget*> controls[] = {
        { "Image1", about.Image1 },
        { "lblVersion", about.lblVersion },
        { "Label1", about.Label1 },
        { "Line1", about.Line1 },
        { "lstHeader", about.lstHeader },
        { "RichTextBox1", about.RichTextBox1 },
        { "cmdOK", about.cmdOK },
    };
    for (const auto& [name, control] : controls)
        EXPECT_EQ(about.findChild<QWidget*>(QLatin1String(name)), control) << name;
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version 3.2.2")) << "never the bare placeholder text";
    EXPECT_EQ(about.Label1->text(), QStringLiteral("Quorvane"));
    EXPECT_EQ(about.cmdOK->text(), QStringLiteral("&OK"));
    ASSERT_EQ(about.lstHeader->count(), 3);
    EXPECT_EQ(about.lstHeader->item(0)->text(), QStringLiteral("Quorvane"));
    EXPECT_EQ(about.lstHeader->item(1)->text(), QStringLiteral("https://quorvane.example/tessely"));
    EXPECT_EQ(about.lstHeader->item(2)->text(), QStringLiteral("support@quorvane.example"));
    EXPECT_EQ(about.RichTextBox1->toPlainText().toStdString(), description);
    EXPECT_EQ(about.RichTextBox1->document()->blockCount(), 1) << "one paragraph";
    EXPECT_TRUE(about.lblVersion->font().bold());
    EXPECT_EQ(about.Label1->font().pointSizeF(), 12.0);
    EXPECT_FALSE(about.Image1->pixmap().isNull());
    EXPECT_EQ(about.Image1->pixmap().size(), QSize(101, 75));
}

TEST(frmAbout, LayoutAndWindowDifferFromTheMainWindowsOnlyWhereDesigned)
{
    frmAbout about;
    EXPECT_EQ(about.size(), twipsRect(about, 0, 0, 5895, 5850).size());
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMaximizeButtonHint);
    const struct {
        QWidget* widget;
        int left, top, width, height;
    } cases[] = {
        { about.Image1, 0, 0, 1515, 1125 },
        { about.lblVersion, 3840, 120, 1935, 255 },
        { about.Label1, 1800, 480, 3630, 345 },
        { about.RichTextBox1, 180, 2040, 5535, 3015 },
        { about.cmdOK, 2340, 5160, 1215, 495 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.widget->geometry(), twipsRect(about, c.left, c.top, c.width, c.height))
            << c.widget->objectName().toStdString();
    // The list keeps its place under the rule, widened only as far as its longest line needs.
    const QRect list = twipsRect(about, 1620, 1320, 2655, 615);
    EXPECT_EQ(about.lstHeader->geometry().top(), list.top());
    EXPECT_LE(std::abs(about.lstHeader->geometry().center().x() - list.center().x()), 1);
    EXPECT_GE(about.lstHeader->width(), list.width());
    EXPECT_EQ(about.Line1->frameShape(), QFrame::HLine);
    EXPECT_TRUE(about.cmdOK->isDefault());
    EXPECT_FALSE(about.windowIcon().isNull());
}

TEST(frmAbout, TabVisitsListThenOkThenDescription)
{
    frmAbout about;
    about.show();
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    EXPECT_EQ(QApplication::focusWidget(), about.lstHeader);
    const QWidget* expected[] = { about.cmdOK, about.RichTextBox1, about.lstHeader };
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST(frmAbout, OkEnterAndEscapeCloseIt)
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
