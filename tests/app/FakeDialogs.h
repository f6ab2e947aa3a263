#ifndef TESSELY_TESTS_APP_FAKEDIALOGS_H
#define TESSELY_TESTS_APP_FAKEDIALOGS_H

#include "app/MessageBoxLayer.h"
#include "app/SourceDialog.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tessely::test
{

/// An open dialog that answers from a script (an exhausted script cancels) and records its setups.
class FakeSourceDialog : public SourceDialog
{
public:
    Selection showOpen(QWidget*, const DialogSetup& setup) override
    {
        setups.push_back(setup);
        if (selections.empty())
            return {};
        Selection selection = selections.front();
        selections.pop_front();
        return selection;
    }

    std::deque<Selection> selections;
    std::vector<DialogSetup> setups;
};

/// A message box that records the messages it was given and runs `onShow` for each.
class FakeMessageBoxLayer : public MessageBoxLayer
{
public:
    void show(QWidget* parent, const Message& message) override
    {
        parents.push_back(parent);
        messages.push_back(message);
        if (onShow)
            onShow(message);
    }

    std::vector<QWidget*> parents;
    std::vector<Message> messages;
    std::function<void(const Message&)> onShow;
};

} // namespace tessely::test

#endif
