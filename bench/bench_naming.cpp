// Times a contact-named split of many contacts that share one name, and the same renaming done as a plain
// chain that tests every earlier "-#N" variant again, in a fresh folder each (in memory when /dev/shm is
// there). Usage: bench_naming [contacts]

#include "split/NextFreeFileName.h"
#include "split/SplitContacts.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/PlainChain.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace
{

using namespace tessely;

class SilentHost final : public JobHost
{
public:
    void showStatus(bool) override
    {
    }
    void setStatus(std::uint64_t) override
    {
    }
    bool yield() override
    {
        return true;
    }
    bool stopRequested() override
    {
        return false;
    }
    Date today() override
    {
        return {};
    }
};

/// Counts the existence tests that reach the file system.
class ProbeCounter final : public test::ForwardingFileSystem
{
public:
    PathKind kindOf(const std::string& path) override
    {
        ++probes;
        return test::ForwardingFileSystem::kindOf(path);
    }

    unsigned long long probes = 0;
};

std::string freshFolder(const char* what)
{
    const std::filesystem::path base
        = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / (std::string("tessely-bench-") + what + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The renaming as a plain chain, every candidate tested again for every contact.
void plainChainSplit(FileSystem& fs, const std::string& location, unsigned long contacts)
{
    fs.createFolder(location, 0777);
    const auto folder = fs.lockFolder(location);
    for (unsigned long number = 1; number <= contacts; ++number) {
        test::plainChainWrite(*folder, { "FN:Same Name", "END:VCARD" }, number, [&](const std::string& name) {
            return fs.pathExists(location + "/" + name);
        });
    }
}

} // namespace

int main(int argc, char** argv)
{
    const unsigned long contacts = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 5000;

    const std::string jobFolder = freshFolder("job");
    const std::string source = jobFolder + "/all.vcf";
    {
        std::ofstream out(source, std::ios::binary);
        for (unsigned long i = 0; i < contacts; ++i)
            out << "BEGIN:VCARD\r\nFN:Same Name\r\nEND:VCARD\r\n";
    }
    ProbeCounter jobFs;
    SilentHost host;
    auto start = std::chrono::steady_clock::now();
    const JobResult result = SplitContacts(jobFs, host, source, SplitNaming::FromContact);
    const double jobSeconds = secondsSince(start);
    std::printf("split with contact names: %lu contacts of one name in %.3f s, %llu existence tests\n",
        static_cast<unsigned long>(result.count),
        jobSeconds,
        jobFs.probes);

    const std::string plainFolder = freshFolder("plain");
    ProbeCounter plainFs;
    start = std::chrono::steady_clock::now();
    plainChainSplit(plainFs, plainFolder + "/Split-vCards", contacts);
    const double plainSeconds = secondsSince(start);
    std::printf("plain chain for comparison: %lu contacts in %.3f s, %llu existence tests\n",
        contacts,
        plainSeconds,
        plainFs.probes);

    std::error_code ignored;
    std::filesystem::remove_all(jobFolder, ignored);
    std::filesystem::remove_all(plainFolder, ignored);
    return 0;
}
