#ifndef TESSELY_TESTS_PLAINCHAIN_H
#define TESSELY_TESTS_PLAINCHAIN_H

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "split/ContactNamer.h"
#include "split/NameFromContact.h"
#include "split/NextFreeFileName.h"
#include "split/SplitContacts.h"
#include "split/TakenNames.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessely::test
{

/// A contact's name the plain way, as the reference the split's own naming must agree with: the contact's
/// lines (those after its opening line) are unfolded first, then the whole-string functions run on them.
inline std::string plainName(const std::vector<std::string>& lines)
{
    std::vector<std::string> logical;
    for (const std::string& line : lines) {
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (!logical.empty())
                logical.back() += line.substr(1);
        } else {
            logical.push_back(line);
        }
    }
    const char* const prefixes[] = { "FN:", "N:", "TITLE:", "EMAIL" };
    for (int pass = 0; pass < 4; ++pass) {
        const std::string prefix = prefixes[pass];
        for (const std::string& line : logical) {
            if (upperCase(line.substr(0, characterPrefixBytes(line, prefix.size()))) != prefix)
                continue;
            const auto colon = line.find(':');
            const std::string cleaned = CleanFileName(colon == std::string::npos ? line : line.substr(colon + 1));
            if (cleaned.empty())
                continue;
            std::string name = pass == 1 ? ReorderStructuredName(cleaned)
                : pass == 3              ? EmailLocalPart(cleaned)
                                         : cleaned;
            name.erase(0, name.find_first_not_of(". "));
            if (!isValidUtf8(name))
                name = windows1252ToUtf8(name);
            name.resize(utf8PrefixBytes(name, longestNameKept));
            return name;
        }
    }
    return {};
}

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
    const std::string start = contactFileName(folder.path(), plainName(lines));
    std::string name = GetFileName(numberedFileName(folder.path(), number));
    if (!start.empty()) {
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
