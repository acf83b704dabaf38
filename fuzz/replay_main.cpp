// Runs a fuzz target's function on saved inputs, without libFuzzer: every file
// named on the command line, or every file in a folder named there. A failed
// property aborts, which fails the test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

int runFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int failures = 0, count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            std::vector<std::filesystem::path> files;
            for (const auto &e : std::filesystem::directory_iterator(arg))
                if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                    files.push_back(e.path());
            std::sort(files.begin(), files.end());
            for (const auto &f : files) {
                failures += runFile(f);
                ++count;
            }
        } else {
            failures += runFile(arg);
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return failures ? 1 : 0;
}
