#ifndef TESSELY_SPLIT_CONTACTFILES_H
#define TESSELY_SPLIT_CONTACTFILES_H

#include "platform/JobHost.h"
#include "vcard/ContactReader.h"
#include "vcard/PrepareOutputFolder.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// Appends a contact's number as file names show it: in at least four digits ("0007", "10000").
void appendContactNumber(std::string& text, std::uint64_t number);

/// Takes the contacts of a split one after the other, each as the bytes of its own file.
class ContactFiles
{
public:
    /// With `readsLines`, `read` is given every piece of the contact's lines.
    explicit ContactFiles(bool readsLines)
        : m_readsLines(readsLines)
    {
    }
    virtual ~ContactFiles() = default;
    /// Contact `number` starts; the first contact is 1.
    virtual void start(std::uint64_t number) = 0;
    /// A piece of one of the contact's lines as it was read, before its bytes come to `add`.
    virtual void read(const ContactPiece& piece)
    {
        (void)piece;
    }
    /// More bytes of the contact's file, then CR LF when `lineEnds`.
    virtual void add(std::string_view bytes, bool lineEnds) = 0;
    /// The contact's file is whole. True when the job is to let the front end catch up now.
    virtual bool finish() = 0;

    bool readsLines() const
    {
        return m_readsLines;
    }

private:
    const bool m_readsLines;
};

/// Reads every contact of the job's source and hands each to `files` as the bytes of its own file: the
/// line "BEGIN:VCARD", the contact's lines as read, and "END:VCARD" (once for each card that the source
/// leaves open), every line ending in CR LF. The status counts the contact being read, once for every line
/// read outside a contact. Gives the number of contacts handed on, the output folder, the non-blank lines
/// left outside any contact, and whether the user stopped the job.
JobResult splitEachContact(OutputBesideSource& job, JobHost& host, ContactFiles& files);

} // namespace tessely

#endif
