#include "app/frmMain.h"

#include "app/WindowDrawing.h"
#include "app/frmAbout.h"
#include "tests/support/Cards.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowCommands.h"
#include "ui/ControlPlacement.h"
#include "ui/frmMainDescription.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace tessely
{
namespace
{

const WindowDescription& design = frmMainDescription();

/// Runs `step` from the event loop while the code under test runs, on every turn of the loop.
class DuringJob
{
public:
    explicit DuringJob(std::function<void()> step)
        : m_step(std::move(step))
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_step(); });
        m_timer.start();
    }

private:
    std::function<void()> m_step;
    QTimer m_timer;
};

/// The text a control shows as its caption.
std::string captionOf(const QWidget* widget)
{
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return frame->title().toStdString();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text().toStdString();
    return {};
}

/// Where the layout rules put a control of the description on the screen of `widget`, relative to its
/// parent widget, for content that fits its rectangle.
QRect describedPlace(const QWidget& widget, const ControlDescription& control)
{
    const int dpi = widget.logicalDpiY();
    PixelRect rect = controlPlacement(design, control, dpi);
    if (!control.parent.empty()) {
        const PixelRect frame = controlPlacement(design, design.control(control.parent), dpi);
        rect.left -= frame.left;
        rect.top -= frame.top;
    }
    return { rect.left, rect.top, rect.width, rect.height };
}

TEST(Screen, HasTheDensityTheRunAsksFor)
{
    const QByteArray wanted = qgetenv("TESSELY_TEST_DPI");
    if (wanted.isEmpty())
        GTEST_SKIP() << "this run takes the screen as it is";
    // Qt lays a window out in pixels of 96 dpi and scales them by the screen's pixel ratio.
    QWidget widget;
    EXPECT_EQ(qRound(widget.logicalDpiY() * widget.devicePixelRatioF()), wanted.toInt());
}

class frmMainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void TearDown() override
    {
        // A test that failed half-way may leave a menu open; it must not reach the next test.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    QWidget* drawn(const std::string& objectName)
    {
        return window.findChild<QWidget*>(qtText(objectName));
    }

    /// What the window last asked for in its open dialog.
    std::string lastDialogTitle() const
    {
        return dialogs.dialogs.empty() ? std::string() : dialogs.dialogs.back().title;
    }

    test::TempFolder temp;
    test::ScriptedUi dialogs;
    frmMain window { dialogs, localFileSystem() };
};

TEST_F(frmMainTest, DrawsEveryControlAsDescribed)
{
    EXPECT_EQ(window.objectName().toStdString(), design.name);
    EXPECT_EQ(window.windowTitle().toStdString(), design.caption);
    for (const ControlDescription& control : design.controls) {
        const QWidget* widget = drawn(control.objectName());
        ASSERT_NE(widget, nullptr) << control.objectName();
        EXPECT_EQ(captionOf(widget), control.caption) << control.objectName();
        EXPECT_EQ(widget->toolTip().toStdString(), control.tooltip) << control.objectName();
        EXPECT_EQ(widget->geometry(), describedPlace(*widget, control)) << control.objectName();
        EXPECT_EQ(widget->isVisibleTo(&window), control.visibleAtStart) << control.objectName();
        EXPECT_EQ(
            widget->parentWidget()->objectName().toStdString(), control.parent.empty() ? "client" : control.parent);
        if (const auto* option = qobject_cast<const QRadioButton*>(widget)) {
            EXPECT_EQ(option->isChecked(), control.selectedAtStart) << control.objectName();
        }
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask,
                control.alignment == TextAlignment::Right ? Qt::AlignRight : Qt::AlignLeft);
        }
    }
    const PixelSize client = clientSize(design, window.logicalDpiY());
    EXPECT_EQ(window.centralWidget()->size(), QSize(client.width, client.height));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "a fixed size";
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST_F(frmMainTest, MenusAreDrawnAsDescribed)
{
    // Name, caption ("-" for a separator) and level of every menu and item, in order.
    std::vector<std::tuple<std::string, std::string, int>> shown;
    for (QAction* top : window.menuBar()->actions()) {
        shown.emplace_back(top->menu()->objectName().toStdString(), top->text().toStdString(), 0);
        for (QAction* item : top->menu()->actions()) {
            shown.emplace_back(
                item->objectName().toStdString(), item->isSeparator() ? "-" : item->text().toStdString(), 1);
            EXPECT_TRUE(item->shortcut().isEmpty() && item->isEnabled() && !item->isChecked())
                << std::get<0>(shown.back());
            const MenuItemDescription* described = nullptr;
            for (const MenuItemDescription& entry : design.menu)
                if (entry.name == std::get<0>(shown.back()))
                    described = &entry;
            ASSERT_NE(described, nullptr) << std::get<0>(shown.back());
            if (!described->tooltip.empty()) {
                EXPECT_EQ(item->toolTip().toStdString(), described->tooltip) << described->name;
                EXPECT_TRUE(top->menu()->toolTipsVisible()) << described->name;
            }
        }
    }
    std::vector<std::tuple<std::string, std::string, int>> described;
    for (const MenuItemDescription& item : design.menu)
        described.emplace_back(item.name, item.caption, item.level);
    EXPECT_EQ(shown, described);
}

TEST_F(frmMainTest, TabVisitsTheControlsInTheDescribedOrder)
{
    EXPECT_EQ(QApplication::focusWidget(), drawn(design.focus));
    std::vector<std::string> chain;
    QWidget* widget = drawn(design.tabOrder.front());
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.push_back(widget->objectName().toStdString());
        widget = widget->nextInFocusChain();
    } while (widget != drawn(design.tabOrder.front()));
    EXPECT_EQ(chain, design.tabOrder);
}

TEST_F(frmMainTest, EveryCommandIsForwarded)
{
    for (const test::DescribedCommand& described : test::describedCommands(design)) {
        dialogs.dialogs.clear();
        dialogs.groups = { ContactGroups { 100, 0 } };
        bool aboutOpened = false;
        QTimer::singleShot(0, [&] {
            if (auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget())) {
                aboutOpened = true;
                about->close();
            }
        });
        // Chosen as a user would: the menu item triggered, the button clicked.
        if (described.item != nullptr)
            window.findChild<QAction*>(qtText(described.item->name))->trigger();
        else
            QTest::mouseClick(
                window.findChild<QAbstractButton*>(qtText(described.control->objectName())), Qt::LeftButton);
        test::expectCommandDone(described.command, dialogs, aboutOpened, window.isVisible());
    }
}

TEST_F(frmMainTest, AccessKeysOpenTheirMenusAndChooseTheirItems)
{
    for (const test::AccessKeyPath& path : test::jobAccessKeys(design)) {
        dialogs.dialogs.clear();
        dialogs.groups = { ContactGroups { 100, 0 } };
        QTest::keyClick(&window, path.menuKey, Qt::AltModifier);
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr) << path.item;
        QTest::keyClick(popup, path.itemKey);
        EXPECT_EQ(lastDialogTitle(), dialogSetupFor(path.job).title) << path.item;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    // Enter and Space press the button that has the focus.
    for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Space }) {
        dialogs.dialogs.clear();
        dialogs.groups = { ContactGroups { 100, 0 } };
        QTest::keyClick(QApplication::focusWidget(), key);
        test::expectCommandDone(design.control(design.focus).command, dialogs, false, true);
    }
}

TEST_F(frmMainTest, TheNamingChoiceIsTheSelectedOptionButton)
{
    MainWindowView& view = window;
    EXPECT_EQ(view.naming(), SplitNaming::Numbered);
    QTest::mouseClick(window.optNaming[1], Qt::LeftButton);
    EXPECT_EQ(view.naming(), SplitNaming::FromContact);
    EXPECT_FALSE(window.optNaming[0]->isChecked()) << "the two form one group";
}

/// Checks that the status label shows `caption` whole on one line inside the window, growing leftwards.
void expectWholeCaption(const QLabel& label, const std::string& caption)
{
    EXPECT_EQ(label.text().toStdString(), caption);
    const QRect described = describedPlace(label, design.control(label.objectName().toStdString()));
    EXPECT_GE(label.width(), label.fontMetrics().horizontalAdvance(label.text())) << caption;
    EXPECT_EQ(label.geometry().right(), described.right()) << caption << ": right-aligned where described";
    EXPECT_GE(label.x(), 0) << caption << ": inside the window";
    EXPECT_EQ(label.height(), described.height()) << caption << ": one line";
}

TEST_F(frmMainTest, TheStatusLabelShowsItsWholeNumberOnOneLine)
{
    MainWindowView& view = window;
    view.showStatus(true);
    for (const std::uint64_t number : { std::uint64_t(9), std::uint64_t(12000), std::uint64_t(9999999999) }) {
        view.setStatusCaption(statusCaption(number));
        expectWholeCaption(*window.lblStatus, statusCaption(number));
    }
}

TEST(frmMainJob, ATwelveThousandContactSplitShowsItsCountWhole)
{
    test::TempFolder temp;
    test::ScriptedUi dialogs;
    // Every yield lets the window catch up, so every number is drawn.
    frmMain window(dialogs, localFileSystem(), std::chrono::milliseconds(0));
    window.show();
    dialogs.selections = { Selection::ofPath(temp.write("phone.vcf", test::cards(12000))) };
    std::string last;
    int checked = 0;
    DuringJob watch([&] {
        const std::string caption = window.lblStatus->text().toStdString();
        if (!window.lblStatus->isVisible() || caption == last || caption.size() < statusCaption(10000).size())
            return;
        last = caption;
        ++checked;
        expectWholeCaption(*window.lblStatus, caption);
    });
    window.cmdRun->click();
    EXPECT_EQ(last, statusCaption(12000));
    EXPECT_GT(checked, 100);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].lines.at(1).substr(0, 5), "12000");
}

/// Drops `urls` on the window as a drag from another program would, and lets it handle what follows.
bool drop(QWidget& window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint middle = window.rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
    QTest::qWait(50);
    return dropped.isAccepted();
}

TEST_F(frmMainTest, DroppedFilesGoToTheWindowsLogic)
{
    const QUrl a = QUrl::fromLocalFile(QString::fromStdString(temp.write("a.vcf", test::cards(2))));
    const QUrl b = QUrl::fromLocalFile(QString::fromStdString(temp.write("b.vcf", test::cards(3))));
    EXPECT_TRUE(drop(window, { a, b }));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, successMessage(OperationKind::Recombine, 2, "").title);
    EXPECT_TRUE(dialogs.dialogs.empty());

    EXPECT_FALSE(drop(window, { QUrl("https://example.org/a.vcf") })) << "only files are taken";
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(frmMainTest, ClosingTheWindowDuringAJobEndsTheJob)
{
    dialogs.selections = { Selection::ofPath(temp.write("phone.vcf", test::cards(3000))) };
    DuringJob closeLater([&] {
        if (window.lblStatus->isVisible() && window.lblStatus->text().toStdString() != statusCaption(1))
            window.close();
    });
    window.cmdRun->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(dialogs.messages.empty()) << "a stopped job shows no message";
    EXPECT_LT(test::listFolder(temp.file("Split-vCards")).size(), 3000u);
}

} // namespace
} // namespace tessely
