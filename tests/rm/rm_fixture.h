// A fresh temporary folder per classic resource manager test, with the sample and its images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/res/res_folder.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/png_writer.h"

namespace koui::test {

// Width x height pixels, row-major, 4 bytes each (red, green, blue, alpha).
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 0) {}
    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
        uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
    void fill(int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) set(x, y, r, g, b, a);
    }
    bool save(const std::string& path) const { return writePng(path, width, height, pixels.data()); }
};

template <class Base = ::testing::Test>
class RmFolderT : public Base {
protected:
    void SetUp() override {
        Base::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_.emplace(std::string("rm_") + info->test_suite_name() + "_" + info->name());
    }

    std::string path(const std::string& name) const { return (*dir_ / name).string(); }
    std::string dirWithSlash() const { return dir_->path().string() + "/"; }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
        return path(name);
    }
    // A w x h image filled with one colour.
    std::string writeImage(const std::string& name, int w, int h, uint8_t r = 255, uint8_t g = 255,
                           uint8_t b = 255, uint8_t a = 255) const {
        writeBytes(path(name), solidPng(w, h, r, g, b, a));
        return path(name);
    }
    // The sample definition file and its sources (skin.png 64 x 64, font.png 100 x 48).
    std::string writeSample() const {
        std::filesystem::copy_file(KOUI_SOURCE_DIR "/tests/rm/data/sample.rmd", path("sample.rmd"));
        writeImage("skin.png", 64, 64);
        writeImage("font.png", 100, 48);
        return path("sample.rmd");
    }

    std::optional<TempDir> dir_;
    // Keeps the manager's expected messages out of the test output; a test
    // that checks messages opens its own capture inside this one.
    AppMsgCapture quiet_;
};

using RmFolder = RmFolderT<>;

}  // namespace koui::test
