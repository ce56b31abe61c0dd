// A temporary resource folder with explicit write times (no file-system time resolution).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "koui/family/png_encoder.h"
#include "tests/res/test_files.h"

namespace koui::test {

// An 8-bit RGBA PNG of `width` × `height` pixels (rows top first).
inline std::vector<uint8_t> rgbaPng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba) {
    return ko::png::encodePng(static_cast<int>(width), static_cast<int>(height), rgba.data());
}

// A PNG filled with one colour.
inline std::vector<uint8_t> solidPng(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b,
                                     uint8_t a = 255) {
    std::vector<uint8_t> rgba;
    for (uint32_t i = 0; i < width * height; ++i) rgba.insert(rgba.end(), {r, g, b, a});
    return rgbaPng(width, height, rgba);
}

class ResFolder {
public:
    explicit ResFolder(const std::string& tag)
        : dir_(tag), base_(std::filesystem::file_time_type::clock::now() - std::chrono::hours(24)) {}

    // The folder as the instance is given it, without a trailing "/".
    std::string root() const { return dir_.path().string(); }
    std::filesystem::path operator/(const std::string& resourcePath) const {
        return dir_.path() / resourcePath;
    }

    // Writes the file and gives it a new write time, one second after the
    // last one handed out (counted from a fixed base a day ago).
    void write(const std::string& resourcePath, const std::vector<uint8_t>& bytes) {
        const std::filesystem::path path = dir_.path() / resourcePath;
        std::filesystem::create_directories(path.parent_path());
        writeBytes(path, bytes);
        stamp(resourcePath);
    }
    void write(const std::string& resourcePath, const std::string& text) {
        write(resourcePath, std::vector<uint8_t>(text.begin(), text.end()));
    }
    // A new write time without touching the contents.
    void stamp(const std::string& resourcePath) { restamp(resourcePath, ++tick_); }
    // Gives the file the write time of stamp number `tick`.
    void restamp(const std::string& resourcePath, int tick) {
        std::filesystem::last_write_time(dir_.path() / resourcePath, base_ + std::chrono::seconds(tick));
    }
    int tick() const { return tick_; }

private:
    TempDir dir_;
    std::filesystem::file_time_type base_;
    int tick_ = 0;
};

}  // namespace koui::test
