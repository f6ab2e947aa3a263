#include "app/MessageBoxLayer.h"
#include "app/SourceDialog.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(SourceDialog, FilterTakesQtsForm)
{
    const struct {
        std::vector<FileFilter> filters;
        const char* qt;
    } cases[] = {
        { sourceFilters(), "vCard File (*.vcf);;All Files (*.*)" },
        { { { "vCard", { "*.vcf", "*.vcard" } } }, "vCard (*.vcf *.vcard)" },
        { { { "Text (*.txt)", { "*.txt" } } }, "Text (*.txt)" },
        { {}, "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(qtFilterFrom(c.filters).toStdString(), c.qt);
}

TEST(SourceDialog, SelectionIsAFolderAndNames)
{
    const struct {
        QStringList files;
        Selection selection;
    } cases[] = {
        { {}, {} },
        { { "/home/ann/phone.vcf" }, { "/home/ann", { "phone.vcf" } } },
        { { "/home/ann/a.vcf", "/home/ann/b c.vcf" }, { "/home/ann", { "a.vcf", "b c.vcf" } } },
        { { "/home/ann/ a.vcf" }, { "/home/ann", { " a.vcf" } } },
        { { QString::fromUtf8("/d/J\xc3\xa9r\xc3\xb4me.vcf") }, { "/d", { "J\xc3\xa9r\xc3\xb4me.vcf" } } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(selectionOf(c.files), c.selection) << c.files.join(QLatin1Char(',')).toStdString();
}

TEST(SourceDialog, ModeFollowsTheFlagsAndNeverDemandsASingleFileExists)
{
    const struct {
        OperationKind kind;
        QFileDialog::FileMode mode;
    } cases[] = {
        { OperationKind::Split, QFileDialog::AnyFile },
        { OperationKind::Export, QFileDialog::AnyFile },
        { OperationKind::Recombine, QFileDialog::ExistingFiles },
    };
    for (const auto& c : cases) {
        QFileDialog dialog;
        const DialogSetup setup = dialogSetupFor(c.kind);
        setUpSourceDialog(dialog, setup);
        EXPECT_EQ(dialog.windowTitle().toStdString(), setup.title);
        EXPECT_EQ(dialog.fileMode(), c.mode) << setup.title;
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.nameFilters(), (QStringList { "vCard File (*.vcf)", "All Files (*.*)" }));
        EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("vCard File (*.vcf)"));
    }
}

/// Answers the next modal QFileDialog by typing `typed` into its name box and accepting, or cancels it
/// when `typed` is empty.
void answerFileDialog(const QString& folder, const QString& typed)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (typed.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(folder);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(typed);
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible())
            dialog->reject();
    });
}

TEST(SourceDialog, QtDialogGivesTheSelectionText)
{
    using namespace std::string_literals;
    test::TempFolder temp;
    temp.write("a.vcf", "x");
    temp.write("b.vcf", "x");
    const QString folder = QString::fromStdString(temp.path());
    QtSourceDialog cdcSource;

    answerFileDialog(folder, QStringLiteral("a.vcf"));
    EXPECT_EQ(cdcSource.showOpen(nullptr, dialogSetupFor(OperationKind::Split)), Selection::ofPath(temp.file("a.vcf")));

    answerFileDialog(folder, QStringLiteral("typed-but-missing.vcf"));
    EXPECT_EQ(cdcSource.showOpen(nullptr, dialogSetupFor(OperationKind::Export)),
        Selection::ofPath(temp.file("typed-but-missing.vcf")));

    answerFileDialog(folder, QStringLiteral("\"a.vcf\" \"b.vcf\""));
    EXPECT_EQ(cdcSource.showOpen(nullptr, dialogSetupFor(OperationKind::Recombine)),
        (Selection { temp.path(), { "a.vcf", "b.vcf" } }));

    answerFileDialog(folder, QString());
    EXPECT_TRUE(cdcSource.showOpen(nullptr, dialogSetupFor(OperationKind::Recombine)).empty());
}

TEST(MessageBoxLayer, ShowsTitleLinesIconAndOneOkButton)
{
    const struct {
        Message message;
        const char* shown;
        QMessageBox::Icon icon;
    } cases[] = {
        { { "vCard Split Successfull",
              { "vCard has been split successfully.", "2 files", "", "/d" },
              MessageIcon::Information },
            "vCard has been split successfully.\n2 files\n\n/d",
            QMessageBox::Information },
        { { "Nothing to Process", { "<b>not markup</b>" }, MessageIcon::Error },
            "<b>not markup</b>",
            QMessageBox::Critical },
    };
    for (const auto& c : cases) {
        QMessageBox box;
        setUpMessageBox(box, c.message);
        EXPECT_EQ(box.windowTitle().toStdString(), c.message.title);
        EXPECT_EQ(box.text().toStdString(), c.shown);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.icon(), c.icon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    }
}

TEST(MessageBoxLayer, QtBoxReturnsWhenOkIsPressed)
{
    QString title;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    QtMessageBoxLayer().show(
        nullptr, { "vCard Split Failed", { "vCard has not been successfully split." }, MessageIcon::Error });
    EXPECT_EQ(title, QStringLiteral("vCard Split Failed"));
}

} // namespace
} // namespace tessely
