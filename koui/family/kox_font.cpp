#include "koui/family/kox_font.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <vector>

#include "koui/family/appmsg.h"
#include "koui/family/kox_image_file.h"

using namespace koui::win32;
using namespace ko::log;
using namespace ko::util;

namespace ko::gl {

namespace {

// Splits "file@12" into "file" and 12 when the whole name is no file.
void splitSize(const std::string& path, std::string& file, int& size) {
    file = path;
    size = CkoxGL_Font::kDefaultPixelSize;
    const size_t at = path.rfind('@');
    if (at == std::string::npos || at + 1 >= path.size()) return;
    const std::string digits = path.substr(at + 1);
    if (digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return;
    file = path.substr(0, at);
    size = std::stoi(digits);
}

}  // namespace

CkoxGL_Font::CkoxGL_Font() = default;
CkoxGL_Font::~CkoxGL_Font() = default;

int CkoxGL_Font::Open(const char* path) {
    if (!path || !*path) {
        appmsg("[ERROR] CkoxGL_Font: no font file name");
        return KOX_ERROR;
    }
    std::string file;
    int size = kDefaultPixelSize;
    splitSize(path, file, size);
    std::vector<uint8_t> bytes;
    if (!koxReadFile(file.c_str(), bytes)) return KOX_ERROR;
    const int result = OpenFromMemory(bytes.data(), bytes.size(), size, path);
    if (result == KOX_OK) path_ = path;
    return result;
}

int CkoxGL_Font::OpenFromResource(int resId, const char* resType, HINSTANCE module) {
    size_t size = 0;
    const uint8_t* data = stmmGeneralGetResourceVector(module, resId, resType, &size);
    if (!data) {
        appmsg("[ERROR] CkoxGL_Font: no resource %d of type %s", resId, resType ? resType : "(null)");
        return KOX_ERROR;
    }
    return OpenFromMemory(data, size, kDefaultPixelSize, "a resource");
}

int CkoxGL_Font::OpenFromMemory(const uint8_t* data, size_t size, int pixelSize, const char* name) {
    auto font = ko::gl::Font::fromBytes(std::vector<uint8_t>(data, data + (data ? size : 0)), pixelSize,
                                        name ? name : "font");
    if (!font) return KOX_ERROR;
    font_ = std::move(font);
    path_.clear();
    return KOX_OK;
}

bool CkoxGL_Font::layout(const char* text, size_t length, double scale) {
    if (!font_ || !text) return false;
    const float s = static_cast<float>(scale);
    return glyphs_.Process(font_.get(), ko::gl::FontGlyphVector::kUnbounded,
                           ko::gl::FontGlyphVector::kUnbounded, static_cast<float>(spacing_ * scale), 0, s, s,
                           ko::gl::FontGlyphVector::kLeft, std::string_view(text, length));
}

float CkoxGL_Font::extent() const {
    float width = 0;
    for (const ko::gl::FontGlyph& g : glyphs_) width = std::max(width, g.x + g.advance);
    return width;
}

float CkoxGL_Font::GetTextExtent(const char* text, int length) {
    if (!text) return 0;
    const size_t all = std::strlen(text);
    const size_t n = length < 0 ? all : std::min(all, static_cast<size_t>(length));
    return layout(text, n, 1.0) ? extent() : 0.0f;
}

void CkoxGL_Font::WriteEx(double x, double y, double scale, int align, int repeatCount, const double* rgba,
                          const char* text) {
    if (!text || !layout(text, std::strlen(text), scale)) return;
    glm::mat4 projection(1.0f);
    glm::mat4 modelView(1.0f);
    glGetFloatv(GL_PROJECTION_MATRIX, glm::value_ptr(projection));
    glGetFloatv(GL_MODELVIEW_MATRIX, glm::value_ptr(modelView));
    const glm::mat4 mvp = projection * modelView;
    const float colour[4] = {
        rgba ? static_cast<float>(rgba[0]) : 1.0f, rgba ? static_cast<float>(rgba[1]) : 1.0f,
        rgba ? static_cast<float>(rgba[2]) : 1.0f, rgba ? static_cast<float>(rgba[3]) : 1.0f};
    float originX = static_cast<float>(x);
    if (align == kCenter) originX -= extent() * 0.5f;
    if (align == kRight) originX -= extent();
    const float originY = static_cast<float>(y + font_->getAscender() * scale);
    constexpr float kNoClip = 1e9f;
    for (int pass = 0; pass < std::max(1, repeatCount); ++pass)
        font_->drawDGlyphs(glyphs_, glm::value_ptr(mvp), colour, originX, originY, -kNoClip, -kNoClip,
                           2 * kNoClip, 2 * kNoClip);
}

}  // namespace ko::gl
