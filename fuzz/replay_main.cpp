// Runs a fuzz target's entry function, built with the normal compiler, over given files and
// folders of inputs: the seeds and every input a fuzzer has found. A folder that does not
// exist is skipped with a note (the shared seed corpus may be absent); an input that breaks an
// invariant aborts the run.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsIn(const std::filesystem::path& place) {
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_regular_file(place)) {
        inputs.push_back(place);
    } else if (std::filesystem::is_directory(place)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(place)) {
            if (entry.is_regular_file()) inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path place = argv[i];
        if (!std::filesystem::exists(place)) {
            std::printf("skipped %s: not there\n", argv[i]);
            continue;
        }
        for (const std::filesystem::path& input : InputsIn(place)) {
            std::ifstream in(input, std::ios::binary);
            const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                                  std::istreambuf_iterator<char>());
            std::printf("%s\n", input.c_str());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    quorbel::fuzz::RemoveScratchFiles();
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
