// Runs a fuzz target over saved inputs without libFuzzer, so that builds with any compiler replay the
// corpus as a regression test: every argument is a file, or a folder whose files are all run.
#include "FuzzSupport.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                inputs.push_back(entry.path().string());
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const std::string& input : inputs) {
        const std::string bytes = tessely::fuzz::readWhole(input);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << "replayed " << inputs.size() << " inputs\n";
    return inputs.empty() ? 1 : 0;
}
