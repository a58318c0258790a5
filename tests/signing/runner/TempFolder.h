// A private folder for one test program, removed with everything in it.
#pragma once

#include <filesystem>
#include <random>
#include <string>

class TTempFolder {
public:
    TTempFolder() {
        std::random_device Random;
        Path = std::filesystem::temp_directory_path() /
               ("quorvel-runner-" + std::to_string(Random()) + std::to_string(Random()));
        std::filesystem::create_directories(Path);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder() {
        std::error_code Ignored;
        std::filesystem::remove_all(Path, Ignored);
    }
    std::filesystem::path Path;
};
