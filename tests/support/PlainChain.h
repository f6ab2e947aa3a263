#ifndef TESSELY_TESTS_PLAINCHAIN_H
#define TESSELY_TESTS_PLAINCHAIN_H

#include "platform/FileSystem.h"
#include "split/ContactLines.h"
#include "split/NameFromContact.h"
#include "split/NextFreeFileName.h"
#include "split/SplitContacts.h"

#include <cstdint>
#include <string>

namespace tessely::test
{

/// Writes contact `number` to its numbered file and moves it to its contact-based name the plain way: every
/// candidate from the contact's own name on is tested again, nothing is remembered. The reference that the
/// split's own renaming must agree with, and the baseline its speed is measured against.
inline void plainChainWrite(
    FileSystem& fs, const std::string& location, const ContactLines& contact, std::uint64_t number)
{
    const std::string numbered = numberedFileName(location, number);
    auto sink = fs.openWrite(numbered);
    sink->write(contact.fileImage().data(), contact.fileImage().size());
    sink->close();
    std::string target = contactFileName(location, NameFromContact(contact));
    if (target.empty())
        return;
    while (fs.pathExists(target) || isLaterNumberedFile(location, target, number))
        target = NextFreeFileName(target);
    fs.moveFile(numbered, target);
}

} // namespace tessely::test

#endif
