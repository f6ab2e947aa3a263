#include "WindowDescription.h"

#include <cassert>
#include <utility>

namespace tessely
{

std::string ControlDescription::objectName() const
{
    return element < 0 ? name : name + "_" + std::to_string(element);
}

ControlDescription describeControl(std::string name, ControlKind kind, std::string caption, TwipRect rect, int id)
{
    ControlDescription control;
    control.name = std::move(name);
    control.kind = kind;
    control.caption = std::move(caption);
    control.rect = rect;
    control.id = id;
    return control;
}

bool ControlDescription::takesFocus() const
{
    switch (kind) {
    case ControlKind::OptionButton:
    case ControlKind::CommandButton:
    case ControlKind::ListBox:
    case ControlKind::RichTextBox:
    case ControlKind::TextBox:
        return true;
    case ControlKind::Frame:
    case ControlKind::Label:
    case ControlKind::Line:
    case ControlKind::Picture:
        return false;
    }
    return false;
}

const ControlDescription* WindowDescription::findControl(std::string_view objectName) const
{
    for (const ControlDescription& control : controls)
        if (control.objectName() == objectName)
            return &control;
    return nullptr;
}

const ControlDescription& WindowDescription::control(std::string_view objectName) const
{
    const ControlDescription* found = findControl(objectName);
    assert(found != nullptr);
    return *found;
}

const ControlDescription* WindowDescription::controlById(int id) const
{
    for (const ControlDescription& control : controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

const MenuItemDescription* WindowDescription::menuItemById(int id) const
{
    for (const MenuItemDescription& item : menu)
        if (item.id == id)
            return &item;
    return nullptr;
}

WindowCommand WindowDescription::commandById(int id) const
{
    if (const MenuItemDescription* item = menuItemById(id))
        return item->command;
    if (const ControlDescription* control = controlById(id))
        return control->command;
    return WindowCommand::None;
}

const ControlDescription* WindowDescription::cancelButton() const
{
    for (const ControlDescription& control : controls)
        if (control.cancelButton)
            return &control;
    return nullptr;
}

TwipRect WindowDescription::clientRect(const ControlDescription& control) const
{
    TwipRect rect = control.rect;
    if (!control.parent.empty()) {
        const TwipRect frame = clientRect(this->control(control.parent));
        rect.left += frame.left;
        rect.top += frame.top;
    }
    return rect;
}

char accessKey(std::string_view caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return caption[i + 1];
        ++i;
    }
    return 0;
}

} // namespace tessely
