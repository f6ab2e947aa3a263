#ifndef TESSELY_SPLIT_TAKENNAMES_H
#define TESSELY_SPLIT_TAKENNAMES_H

#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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
/// ever added. Each name costs about sixty bytes besides its text: a split of 1,000,000 contact names peaks
/// at 83 MB.
class TakenNames
{
public:
    explicit TakenNames(HeldFolder& folder);

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
    /// The upper-cased name's count of steps to a taken variant, the name added when it is new.
    std::uint64_t& insert(std::string_view upper);
    void listFolder();

    HeldFolder& m_folder;
    bool m_listed = false;
    std::vector<std::string> m_texts;
    /// Each upper-cased name, and how many steps along the chain of variants from it lead to a name known to
    /// be taken (0 when none is known).
    std::unordered_map<std::string_view, std::uint64_t> m_taken;
    /// Where the last `findFree` passed taken names, and their places on its chain.
    std::vector<std::pair<std::uint64_t*, std::uint64_t>> m_passed;
    std::string m_found;
    std::uint64_t m_foundPlace = 0;
    std::string m_upper;
};

} // namespace tessely

#endif
