#include "WindowDrawing.h"

#include "Twips.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
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
        auto* picture = new QLabel(&parent);
        picture->setPixmap(QPixmap(QStringLiteral(":/artwork/") + caption + QStringLiteral(".png")));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    }
    return nullptr;
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
    const QString artwork = QStringLiteral(":/artwork/") + qtText(design.icon);
    QIcon images;
    images.addFile(artwork + QStringLiteral("-16.png"), QSize(16, 16));
    images.addFile(artwork + QStringLiteral("-32.png"), QSize(32, 32));
    window.setWindowIcon(images);
    // The system's interface font family at the size the layout was drawn for, so every caption fits its box.
    QFont font = QApplication::font();
    font.setPointSizeF(design.fontPoints);
    window.setFont(font);
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
        TwipRect rect = control.rect;
        if (control.kind == ControlKind::Line) {
            // A sunken rule is two pixels high at 96 dpi: one pixel either side of the line.
            rect.top -= 15;
            rect.height = 30;
        }
        placeInTwips(*widget, rect);
        if (!control.visibleAtStart)
            widget->setVisible(false);
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
