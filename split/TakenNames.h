#ifndef TESSELY_SPLIT_TAKENNAMES_H
#define TESSELY_SPLIT_TAKENNAMES_H

#include "platform/FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessely
{

/// True when `fileName` is, in any letter case, the numbered file name of contact `number` or of a later
/// one: "contact", the number in at least four digits without further leading zeros, ".vcf".
bool isNumberedFromOn(std::string_view fileName, std::uint64_t number);

/// The names taken in one output folder while a job writes into it (the job holds the folder's lock, so
/// only the job adds names). Names are compared as file systems that ignore letter case compare them: two
/// names are the same when their upper-cased forms are, so the folder can be copied to any of them.
///
/// The folder is read once, when the first name is looked for; the job adds each name it takes. Each name
/// also remembers how far the chain of "-#N" variants from it is known to be taken, so the thousandth
/// contact of one name does not test the 999 variants before it again. That is safe because names are only
/// ever added. Each name costs a few dozen bytes besides its text.
class TakenNames
{
public:
    explicit TakenNames(HeldFolder& folder);
    ~TakenNames();
    TakenNames(const TakenNames&) = delete;
    TakenNames& operator=(const TakenNames&) = delete;

    /// The first name on the chain of variants from `start` (a file name) that is free for contact
    /// `number`. The start itself is taken when the folder holds it, when it is a device name, or when it is
    /// the numbered name of this contact or of a later one (which that contact may still need); a variant is
    /// taken when the folder holds it.
    std::string findFree(const std::string& start, std::uint64_t number);
    /// Records that the folder now holds `name` (the job wrote it, or found it taken when it tried). When it
    /// is the name `findFree` gave last, every name passed on the way leads straight to it from now on.
    void add(const std::string& name);
    /// True when the folder holds `name` (in any letter case).
    bool holds(const std::string& name);

private:
    struct Entry;
    class Table;
    class Chain;

    void listFolder();

    HeldFolder& m_folder;
    bool m_listed = false;
    std::unique_ptr<Table> m_table;
    std::unique_ptr<Chain> m_chain;
    /// The names the last `findFree` passed (as entries) and their places on its chain.
    std::vector<std::pair<std::uint32_t, std::uint64_t>> m_passed;
    std::string m_found;
    std::string m_foundUpper;
    std::uint64_t m_foundPlace = 0;
    std::string m_upper;
};

} // namespace tessely

#endif
