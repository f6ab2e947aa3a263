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
inline bool plainHolds(FileSystem& fs, const std::string& folder, const std::string& name)
{
    const std::string wanted = upperCase(name);
    bool found = false;
    fs.listFolder(folder, [&](std::string_view entry) { found = found || upperCase(entry) == wanted; });
    return found;
}

/// Writes contact `number` the plain way: its numbered file, or when it gives a name, the first free name
/// on the chain from it, every candidate tested again and nothing remembered. The reference that the split's
/// own naming must agree with, and the baseline its speed is measured against. `held` tells whether the
/// folder holds a name; by default the folder is listed for every candidate.
inline void plainChainWrite(FileSystem& fs,
    const std::string& location,
    const std::vector<std::string>& lines,
    std::uint64_t number,
    const std::function<bool(const std::string&)>& held = {})
{
    const auto holds = [&](const std::string& name) { return held ? held(name) : plainHolds(fs, location, name); };
    std::string image = "BEGIN:VCARD\r\n";
    for (const std::string& line : lines)
        image += line + "\r\n";
    const std::string name = plainName(lines);
    const std::string start = contactFileName(location, name);
    std::string path = numberedFileName(location, number);
    const bool deviceStem = name.find('.') != std::string::npos && isDeviceName(name.substr(0, name.find('.')));
    if (!start.empty() && !deviceStem) {
        std::string file = GetFileName(start);
        bool taken = holds(file) || isDeviceName(GetBaseName(file)) || isNumberedFromOn(file, number);
        while (taken) {
            file = nextFreeName(file);
            taken = holds(file);
        }
        path = joinPath(location, file);
    }
    auto sink = fs.createFile(path, openPermissions);
    sink->write(image.data(), image.size());
    sink->close();
}

} // namespace tessely::test

#endif
