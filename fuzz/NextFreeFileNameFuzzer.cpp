// Collision-free names: the next candidate is always another path in the same folder with the same
// extension, and following the chain of candidates never comes back to a name it has passed.
#include "FuzzSupport.h"
#include "platform/Paths.h"
#include "split/NextFreeFileName.h"

#include <set>

using namespace tessely;
using namespace tessely::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path(reinterpret_cast<const char*>(data), size);
    if (path.empty()) {
        FUZZ_CHECK(NextFreeFileName(path).empty());
        return 0;
    }
    const std::string folder = GetParentFolderName(path);
    const std::string extension = GetExtensionName(path);
    std::set<std::string> passed { path };
    std::string candidate = path;
    for (int step = 0; step < 40; ++step) {
        const std::string next = NextFreeFileName(candidate);
        FUZZ_CHECK(next != candidate);
        FUZZ_CHECK(GetParentFolderName(next) == folder);
        FUZZ_CHECK(GetExtensionName(next) == extension);
        FUZZ_CHECK(passed.insert(next).second);
        candidate = next;
    }
    return 0;
}
