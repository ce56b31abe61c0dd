// A temporary folder holding "res.kor", rewritten with explicit write times.
#pragma once
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/res/test_files.h"

namespace koui::test {

class StyleFolder {
public:
    explicit StyleFolder(const std::string& tag)
        : dir_(tag), stamp_(std::filesystem::file_time_type::clock::now() - std::chrono::hours(24)) {}

    std::string root() const { return dir_.path().string(); }

    void write(const std::string& text, const std::string& file = "res.kor") {
        std::filesystem::path p = dir_.path() / file;
        std::ofstream(p, std::ios::binary) << text;
        stamp_ += std::chrono::seconds(1);
        std::filesystem::last_write_time(p, stamp_);
    }

private:
    TempDir dir_;
    std::filesystem::file_time_type stamp_;
};

}  // namespace koui::test
