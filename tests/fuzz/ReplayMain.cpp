// Runs a fuzz target over its corpus (files or folders of files), so the
// findings kept there stay fixed in every build, not only the clang one.
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadAll(const fs::path& File) {
    std::ifstream In(File, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int Argc, char** Argv) {
    std::vector<fs::path> Files;
    for (int I = 1; I < Argc; ++I) {
        const fs::path Arg(Argv[I]);
        if (fs::is_directory(Arg)) {
            for (const auto& Entry : fs::directory_iterator(Arg))
                if (Entry.is_regular_file())
                    Files.push_back(Entry.path());
        } else if (fs::is_regular_file(Arg)) {
            Files.push_back(Arg);
        } else {
            std::fprintf(stderr, "no such corpus: %s\n", Argv[I]);
            return 1;
        }
    }
    if (Files.empty()) {
        std::fprintf(stderr, "the corpus is empty\n");
        return 1;
    }
    std::sort(Files.begin(), Files.end());
    for (const fs::path& File : Files) {
        std::fprintf(stderr, "replaying %s\n", File.string().c_str());
        const std::vector<std::uint8_t> Bytes = ReadAll(File);
        LLVMFuzzerTestOneInput(Bytes.data(), Bytes.size());
    }
    std::printf("replayed %zu inputs\n", Files.size());
    return 0;
}
