#include "win32/SourceDialog.h"

#include "NativeTesting.h"
#include "platform/WideText.h"
#include "tests/support/TempFolder.h"
#include "win32/MessageBoxLayer.h"
#include "win32/NativeWindow.h"
#include "win32/Win32Api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tessely
{
namespace
{

using namespace std::string_literals;

TEST(SourceDialog, FiltersAndFlagsTakeTheDialogsForm)
{
    EXPECT_EQ(dialogFilter(sourceFilters()), L"vCard File (*.vcf)\0*.vcf\0All Files (*.*)\0*.*\0\0"s);
    EXPECT_EQ(dialogFilter({ { "Cards", { "*.vcf", "*.vcard" } } }), L"Cards\0*.vcf;*.vcard\0\0"s);

    const DWORD one = dialogFlags(SelectionMode::OneFile);
    const DWORD several = dialogFlags(SelectionMode::SeveralFiles);
    EXPECT_EQ(several & (OFN_EXPLORER | OFN_ALLOWMULTISELECT), DWORD(OFN_EXPLORER | OFN_ALLOWMULTISELECT));
    EXPECT_FALSE(one & OFN_ALLOWMULTISELECT);
    for (const DWORD flags : { one, several })
        EXPECT_FALSE(flags & (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST)) << "a typed name of a missing file goes on";
}

TEST(SourceDialog, AnswersBecomeSelections)
{
    // Answers as the dialog gives them: one path, or the folder and the names, each ending in NUL, and one
    // more NUL at the end; what follows is left over in the buffer.
    const struct {
        std::wstring answer;
        Selection expected;
    } cases[] = {
        { L"C:\\phone\\contacts.vcf\0\0"s, { "C:\\phone", { "contacts.vcf" } } },
        { L"C:\\phone\0a.vcf\0b.vcf\0\0stale\0\0"s, { "C:\\phone", { "a.vcf", "b.vcf" } } },
        { L"\\\\server\\share\\x\0one.vcf\0two.vcf\0three.vcf\0\0"s,
            { "\\\\server\\share\\x", { "one.vcf", "two.vcf", "three.vcf" } } },
        { L"C:\\\0a.vcf\0b.vcf\0\0"s, { "C:", { "a.vcf", "b.vcf" } } },
        { L"D:\\Kontakte\0M\u00fcller.vcf\0\u6771\u4eac.vcf\0\0"s,
            { "D:\\Kontakte", { "M\xc3\xbcller.vcf", "\xe6\x9d\xb1\xe4\xba\xac.vcf" } } },
        { L"C:\\phone\0only.vcf\0\0"s, { "C:\\phone", { "only.vcf" } } },
        { L"\0\0"s, {} },
    };
    for (const auto& c : cases)
        EXPECT_EQ(selectionFromAnswer(c.answer), c.expected) << toUtf8(c.answer.substr(0, c.answer.find(L'\0')));
}

TEST(SourceDialog, AnAnswerThatDidNotFitIsAskedForWithMoreRoom)
{
    const struct {
        std::size_t size, needed;
    } cases[] = { { 260, 0 }, { 260, 300 }, { 1000, 65535 }, { 1 << 20, 12 } };
    for (const auto& c : cases) {
        const std::size_t larger = largerAnswerSize(c.size, c.needed);
        EXPECT_GT(larger, c.size);
        EXPECT_GT(larger, c.needed);
    }
}

/// Answers the system's open dialog as a user would: waits for it, types `typed` into its file-name box
/// and presses Open. Counts how often it answered, and records the dialog's title and file types.
class DialogTypist
{
public:
    DialogTypist(std::string title, std::wstring typed)
        : m_title(std::move(title))
        , m_typed(std::move(typed))
        , m_running([this] { answer(); })
    {
    }

    int answered = 0;
    std::vector<std::string> fileTypes;

private:
    void answer()
    {
        HWND dialog = test::findThreadWindow(L"#32770", m_title);
        if (dialog == nullptr || dialog == m_last)
            return;
        m_last = dialog;
        HWND name = GetDlgItem(dialog, cmb13);
        if (name != nullptr && FindWindowExW(name, nullptr, L"Edit", nullptr) != nullptr)
            name = FindWindowExW(name, nullptr, L"Edit", nullptr);
        if (name == nullptr)
            name = GetDlgItem(dialog, edt1);
        ASSERT_NE(name, nullptr) << "the dialog has a file-name box";
        HWND types = GetDlgItem(dialog, cmb1);
        fileTypes.clear();
        for (int i = 0; i < SendMessageW(types, CB_GETCOUNT, 0, 0); ++i) {
            std::wstring type(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)), L'\0');
            SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(type.data()));
            fileTypes.push_back(toUtf8(type));
        }
        SetWindowTextW(name, m_typed.c_str());
        ++answered;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    std::string m_title;
    std::wstring m_typed;
    HWND m_last = nullptr;
    test::WhileRunning m_running;
};

TEST(SourceDialog, TheSystemsDialogGivesTheFolderAndEveryNameTyped)
{
    test::TempFolder temp;
    temp.write("a.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
    temp.write("b.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
    Win32SourceDialog dialog;
    toWide(temp.path(), dialog.folder);
    DialogTypist typist(
        "Multi-select all the vCard files to recombine (Shift or Ctrl to select multiple)", L"\"a.vcf\" \"b.vcf\"");
    const Selection selection = dialog.showOpen(nullptr, dialogSetupFor(OperationKind::Recombine));
    EXPECT_EQ(typist.answered, 1);
    EXPECT_EQ(typist.fileTypes, (std::vector<std::string> { "vCard File (*.vcf)", "All Files (*.*)" }));
    ASSERT_EQ(selection.names, (std::vector<std::string> { "a.vcf", "b.vcf" }));
    EXPECT_TRUE(std::filesystem::equivalent(selection.folder, temp.path())) << selection.folder;
}

/// A dialog that answers as the system's does when its answer does not fit: it fails with
/// FNERR_BUFFERTOOSMALL and puts the room it needs in the answer's first two bytes.
class TightDialog : public Win32SourceDialog
{
public:
    TightDialog(std::size_t answerSize, std::wstring answer)
        : Win32SourceDialog(answerSize)
        , m_answer(std::move(answer))
    {
    }

protected:
    bool ask(OPENFILENAMEW& dialog, DWORD& error) override
    {
        if (dialog.nMaxFile < m_answer.size()) {
            *dialog.lpstrFile = static_cast<wchar_t>(m_answer.size() & 0xFFFF);
            error = FNERR_BUFFERTOOSMALL;
            return false;
        }
        std::copy(m_answer.begin(), m_answer.end(), dialog.lpstrFile);
        return true;
    }

private:
    std::wstring m_answer;
};

TEST(SourceDialog, AnAnswerThatDoesNotFitIsAskedForAgainNeverCutShort)
{
    std::wstring many = L"C:\\phone"s + L'\0';
    std::vector<std::string> names;
    for (int i = 0; i < 7000; ++i) {
        names.push_back("contact" + std::to_string(i) + ".vcf");
        many += wideText(names.back()) + L'\0';
    }
    many += L'\0';
    const struct {
        std::size_t answerSize;
        std::wstring answer;
        std::vector<std::string> names;
        bool askedAgain;
    } cases[] = {
        { 8, L"C:\\phone\0a.vcf\0b.vcf\0\0"s, { "a.vcf", "b.vcf" }, true },
        { 260, many, names, true }, // needs more room than two bytes can tell
        { std::size_t(1) << 20, many, names, false },
    };
    for (const auto& c : cases) {
        TightDialog dialog(c.answerSize, c.answer);
        const Selection selection = dialog.showOpen(nullptr, dialogSetupFor(OperationKind::Recombine));
        EXPECT_EQ(selection.folder, "C:\\phone");
        EXPECT_EQ(selection.names, c.names) << c.answerSize;
        EXPECT_EQ(dialog.timesShown > 1, c.askedAgain) << c.answerSize;
    }
}

TEST(SourceDialog, TheSystemsDialogTakesATypedNameOfAMissingFile)
{
    test::TempFolder temp;
    Win32SourceDialog dialog;
    toWide(temp.path(), dialog.folder);
    DialogTypist typist("Select a multiple-contact vCard file to split", L"typed-but-missing.vcf");
    const Selection selection = dialog.showOpen(nullptr, dialogSetupFor(OperationKind::Split));
    ASSERT_EQ(selection.names, std::vector<std::string> { "typed-but-missing.vcf" });
    EXPECT_TRUE(std::filesystem::equivalent(selection.folder, temp.path())) << selection.folder;
}

TEST(MessageBoxLayer, TheSystemsBoxShowsTitleLinesAndIcon)
{
    const struct {
        Message message;
        LPCWSTR icon;
    } cases[] = {
        { { "Nothing to Process", { "First line.", "Second line." }, MessageIcon::Error }, IDI_HAND },
        { { "vCard Split Successfull", { "Done.", "2 files", "", "C:\\x" }, MessageIcon::Information }, IDI_ASTERISK },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(messageBoxStyle(c.message.icon) & MB_TYPEMASK, UINT(MB_OK));
        std::vector<std::string> texts;
        bool iconShown = false;
        test::WhileRunning reader([&] {
            HWND box = test::findThreadWindow(L"#32770", c.message.title);
            if (box == nullptr)
                return;
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
                texts.push_back(test::textOf(child));
                const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
                iconShown = iconShown || (icon != nullptr && icon == LoadIconW(nullptr, c.icon));
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Win32MessageBoxLayer().show(nullptr, c.message);
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.message.text("\r\n")), texts.end())
            << c.message.title << ": the lines joined by CR LF";
        EXPECT_TRUE(iconShown) << c.message.title;
    }
}

} // namespace
} // namespace tessely
