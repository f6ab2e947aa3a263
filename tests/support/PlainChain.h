#ifndef TESSELY_TESTS_PLAINCHAIN_H
#define TESSELY_TESTS_PLAINCHAIN_H

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "split/NextFreeFileName.h"
#include "split/SplitContacts.h"
#include "split/TakenNames.h"
#include "tests/support/PlainNaming.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessely::test
{

/// True when a file in `folder` has the name `name` in any letter case; asks the folder every time.
inline bool plainHolds(HeldFolder& folder, const std::string& name)
{
    const std::string wanted = upperCase(name);
    bool found = false;
    folder.listFolder([&](std::string_view entry) { found = found || upperCase(entry) == wanted; });
    return found;
}

/// Writes contact `number` the plain way: its numbered file, or when it gives a name, the first free name
/// on the chain from it, every candidate tested again and nothing remembered. The reference that the split's
/// own naming must agree with, and the baseline its speed is measured against. `held` tells whether the
/// folder holds a name; by default the folder is listed for every candidate.
inline void plainChainWrite(HeldFolder& folder,
    const std::vector<std::string>& lines,
    std::uint64_t number,
    const std::function<bool(const std::string&)>& held = {})
{
    const auto holds = [&](const std::string& name) { return held ? held(name) : plainHolds(folder, name); };
    std::string image = "BEGIN:VCARD\r\n";
    for (const std::string& line : lines)
        image += line + "\r\n";
    const std::string contactName = plainName(lines);
    const std::string start = contactFileName(folder.path(), contactName);
    std::string name = GetFileName(numberedFileName(folder.path(), number));
    // A name whose part before its first dot is a device name keeps the contact's number.
    const auto dot = contactName.find('.');
    if (!start.empty() && !(dot != std::string::npos && isDeviceName(contactName.substr(0, dot)))) {
        name = GetFileName(start);
        bool taken = holds(name) || isDeviceName(GetBaseName(name)) || isNumberedFromOn(name, number);
        while (taken) {
            name = nextFreeName(name);
            taken = holds(name);
        }
    }
    auto sink = folder.createFile(name, openPermissions);
    sink->write(image.data(), image.size());
    sink->close();
}

} // namespace tessely::test

#endif
