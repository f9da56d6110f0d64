// SPDX-License-Identifier: GPL-3.0-or-later
// A fuzz target's harness without libFuzzer: runs LLVMFuzzerTestOneInput once on every file
// of the folders given, in name order, so that the ordinary build (any compiler) and ctest
// keep the seed corpus and every input that once failed (fuzz/regressions) passing. A crash,
// a failed check of the harness or, in the sanitizer build, a sanitizer report fails it.
//
//   replay_fuzz_<target> folder...   (a folder that does not exist holds no input)
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Defined by the harnesses that set something up once (a Qt application).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    namespace fs = std::filesystem;
    size_t total = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator it(argv[i], error), end; !error && it != end; it.increment(error)) {
            if (it->is_regular_file()) files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            std::printf("replay %s (%zu bytes)\n", file.c_str(), bytes.size());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
        std::printf("%zu inputs from %s\n", files.size(), argv[i]);
        total += files.size();
    }
    if (total == 0) {
        std::fprintf(stderr, "no input to replay\n");
        return 1;
    }
    return 0;
}
