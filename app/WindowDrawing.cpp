#include "WindowDrawing.h"

#include "ui/ControlPlacement.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTextEdit>

#include <cassert>

namespace tessely
{

namespace
{

Qt::Alignment qtAlignment(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Centre:
        return Qt::AlignHCenter | Qt::AlignTop;
    case TextAlignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case TextAlignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

/// A font of the given family, or the nearest sans-serif font where this system lacks it.
QFont namedFont(const FontDescription& description)
{
    QFont font(qtText(description.family));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(description.points);
    font.setBold(description.bold);
    return font;
}

QWidget* createControl(const ControlDescription& control, QWidget& parent)
{
    const QString caption = qtText(control.caption);
    switch (control.kind) {
    case ControlKind::Frame:
        return new QGroupBox(caption, &parent);
    case ControlKind::OptionButton: {
        // Option buttons with the same frame as parent are one group: checking one clears the other.
        auto* button = new QRadioButton(caption, &parent);
        button->setChecked(control.selectedAtStart);
        return button;
    }
    case ControlKind::CommandButton: {
        auto* button = new QPushButton(caption, &parent);
        button->setDefault(control.defaultButton);
        return button;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(caption, &parent);
        label->setAlignment(qtAlignment(control.alignment));
        label->setWordWrap(false);
        return label;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(&parent);
        for (const std::string& item : control.items)
            list->addItem(qtText(item));
        list->setUniformItemSizes(true);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        if (control.scrollBarBackground) {
            // Qt has no colour of its own for scroll bars; the button face is what they are drawn in.
            QPalette colours = list->palette();
            colours.setColor(QPalette::Base, colours.color(QPalette::Button));
            list->setPalette(colours);
        }
        return list;
    }
    case ControlKind::Line: {
        auto* line = new QFrame(&parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case ControlKind::Picture: {
        // Drawn at its rectangle's size, which grows with the screen's density.
        auto* picture = new QLabel(&parent);
        picture->setPixmap(QPixmap(QStringLiteral(":/artwork/") + caption + QStringLiteral(".png")));
        picture->setScaledContents(true);
        return picture;
    }
    case ControlKind::RichTextBox: {
        // Read-only: the user may select and copy the text, never change it.
        auto* text = new QTextEdit(&parent);
        text->setAcceptRichText(false);
        text->setPlainText(caption);
        text->setReadOnly(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        text->setTabChangesFocus(true);
        return text;
    }
    case ControlKind::TextBox:
        return new QLineEdit(caption, &parent);
    }
    return nullptr;
}

/// The room the content of a control that fits its content needs, in pixels.
PixelSize contentSize(const QWidget& widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        const int margins = 2 * (label->margin() + label->frameWidth()) + label->fontMetrics().averageCharWidth();
        return { label->fontMetrics().horizontalAdvance(label->text()) + margins, 0 };
    }
    if (const auto* list = qobject_cast<const QListWidget*>(&widget)) {
        const int borders = 2 * list->frameWidth();
        const int rows = list->count() > 0 ? list->count() * list->sizeHintForRow(0) : 0;
        return { list->sizeHintForColumn(0) + borders + 4, rows + borders };
    }
    return {};
}

} // namespace

QString qtText(const std::string& text)
{
    return QString::fromStdString(text);
}

void setUpFixedWindow(QWidget& window, Qt::WindowType kind, const WindowDescription& design)
{
    window.setObjectName(qtText(design.name));
    window.setWindowTitle(qtText(design.caption));
    window.setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window.setWindowIcon(artworkIcon(design.icon));
    // The system's interface font family at the size the layout was drawn for, so every caption fits its box.
    QFont font = QApplication::font();
    font.setPointSizeF(design.fontPoints);
    window.setFont(font);
}

QIcon artworkIcon(const std::string& name)
{
    const QString artwork = QStringLiteral(":/artwork/") + qtText(name) + QLatin1Char('-');
    QIcon icon;
    for (const int size : iconSizes)
        icon.addFile(artwork + QString::number(size) + QStringLiteral(".png"), QSize(size, size));
    return icon;
}

QSize clientPixels(const QWidget& widget, const WindowDescription& design)
{
    const PixelSize size = clientSize(design, widget.logicalDpiY());
    return { size.width, size.height };
}

void placeControl(QWidget& control, const WindowDescription& design)
{
    const ControlDescription& described = design.control(control.objectName().toStdString());
    const int dpi = control.logicalDpiY();
    PixelRect rect = controlPlacement(design, described, dpi, contentSize(control));
    // Qt places a control inside its frame relative to the frame.
    if (!described.parent.empty()) {
        const PixelRect frame = controlPlacement(design, design.control(described.parent), dpi);
        rect.left -= frame.left;
        rect.top -= frame.top;
    }
    control.setGeometry(rect.left, rect.top, rect.width, rect.height);
}

void createControls(QWidget& client, const WindowDescription& design)
{
    for (const ControlDescription& control : design.controls) {
        QWidget* parent = &client;
        if (!control.parent.empty())
            parent = client.findChild<QWidget*>(qtText(control.parent));
        assert(parent != nullptr);
        QWidget* widget = createControl(control, *parent);
        widget->setObjectName(qtText(control.objectName()));
        if (!control.tooltip.empty())
            widget->setToolTip(qtText(control.tooltip));
        if (!control.font.family.empty())
            widget->setFont(namedFont(control.font));
        placeControl(*widget, design);
        if (!control.visibleAtStart)
            widget->setVisible(false);
        if (control.cancelButton) {
            auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), client.window());
            auto* button = qobject_cast<QAbstractButton*>(widget);
            QObject::connect(escape, &QShortcut::activated, button, &QAbstractButton::click);
        }
    }
}

void createMenus(QMenuBar& bar, const WindowDescription& design)
{
    QMenu* menu = nullptr;
    for (const MenuItemDescription& item : design.menu) {
        if (item.level == 0) {
            menu = bar.addMenu(qtText(item.caption));
            menu->setObjectName(qtText(item.name));
            continue;
        }
        assert(menu != nullptr);
        QAction* action = item.separator() ? menu->addSeparator() : menu->addAction(qtText(item.caption));
        action->setObjectName(qtText(item.name));
        if (!item.tooltip.empty()) {
            action->setToolTip(qtText(item.tooltip));
            menu->setToolTipsVisible(true);
        }
    }
}

void forwardCommands(
    QWidget& window, const WindowDescription& design, const std::function<void(WindowCommand)>& forward)
{
    for (const MenuItemDescription& item : design.menu) {
        if (item.command == WindowCommand::OpenMenu || item.command == WindowCommand::None)
            continue;
        auto* action = window.findChild<QAction*>(qtText(item.name));
        assert(action != nullptr);
        QObject::connect(action, &QAction::triggered, &window, [forward, command = item.command] { forward(command); });
    }
    for (const ControlDescription& control : design.controls) {
        if (control.command == WindowCommand::None)
            continue;
        auto* button = window.findChild<QAbstractButton*>(qtText(control.objectName()));
        assert(button != nullptr);
        QObject::connect(
            button, &QAbstractButton::clicked, &window, [forward, command = control.command] { forward(command); });
    }
}

void applyTabOrder(QWidget& window, const WindowDescription& design)
{
    QWidget* previous = nullptr;
    for (const std::string& name : design.tabOrder) {
        QWidget* widget = window.findChild<QWidget*>(qtText(name));
        assert(widget != nullptr);
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    if (QWidget* first = window.findChild<QWidget*>(qtText(design.focus)))
        first->setFocus();
}

} // namespace tessely
