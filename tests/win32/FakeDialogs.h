#ifndef TESSELY_TESTS_WIN32_FAKEDIALOGS_H
#define TESSELY_TESTS_WIN32_FAKEDIALOGS_H

#include "win32/MessageBoxLayer.h"
#include "win32/SourceDialog.h"

#include <deque>
#include <functional>
#include <vector>

namespace tessely::test
{

/// An open dialog that answers from a script (an exhausted script cancels) and records its setups.
class FakeSourceDialog : public SourceDialog
{
public:
    Selection showOpen(HWND owner, const DialogSetup& setup) override
    {
        owners.push_back(owner);
        setups.push_back(setup);
        if (selections.empty())
            return {};
        Selection selection = selections.front();
        selections.pop_front();
        return selection;
    }

    std::deque<Selection> selections;
    std::vector<DialogSetup> setups;
    std::vector<HWND> owners;
};

/// A message box that records the messages it was given and runs `onShow` for each.
class FakeMessageBoxLayer : public MessageBoxLayer
{
public:
    void show(HWND owner, const Message& message) override
    {
        owners.push_back(owner);
        messages.push_back(message);
        if (onShow)
            onShow(message);
    }

    std::vector<HWND> owners;
    std::vector<Message> messages;
    std::function<void(const Message&)> onShow;
};

} // namespace tessely::test

#endif
