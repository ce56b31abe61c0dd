#include "koui/res/imgsrc.h"

#include <GL/glew.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "koui/family/appmsg.h"
#include "koui/res/instance.h"

namespace koui::res {

namespace {

// The extension of `path` without its leading dots, lower case: "Images/A.PNG"
// gives "png".
std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    ext.erase(0, ext.find_first_not_of('.') == std::string::npos ? ext.size() : ext.find_first_not_of('.'));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// Levels a full mipmap chain of this size has: 1 + floor(log2(max side)).
int maxLevels(int width, int height) {
    return std::bit_width(static_cast<unsigned>(std::max(width, height)));
}

}  // namespace

ImgSrc::~ImgSrc() {
    releaseTexture();
}

void ImgSrc::releaseTexture() {
    if (texture) glDeleteTextures(1, &texture);
    texture = 0;
    std::fill(std::begin(storage_), std::end(storage_), 0);
}

bool ImgSrc::OnProcess() {
    const ko::util::StrPar pieces = splitNodeValue("grid", ',');
    grid[0] = pieces.has(0) ? std::atoi(pieces.at(0)->c_str()) : 1;
    grid[1] = pieces.has(1) ? std::atoi(pieces.at(1)->c_str()) : grid[0];
    if (grid[0] < 1 || grid[1] < 1) return error("imgsrc: Invalid grid size (%dx%d)", grid[0], grid[1]);
    path = value("imgsrc");
    if (path.empty()) path = value("src");
    if (path.empty()) return error("imgsrc: No path");
    return true;
}

bool ImgSrc::OnResourceChange(bool flag, const std::string& changedPath) {
    if (flag) return false;
    const Node* top = getRoot();
    const size_t known = top->errors.size();
    if (LoadImg()) return true;
    // The old picture stays, so whoever saved the file would see nothing
    // happen: say which file failed and why, as a failed reload of the
    // definitions does (the line is the definition of this image).
    ko::log::appmsg("[ERROR] Reload of %s failed; the loaded picture stays", changedPath.c_str());
    for (size_t i = known; i < top->errors.size(); ++i)
        ko::log::appmsg("[ERROR] %2d : Line %4d = \"%s\"", static_cast<int>(i - known),
                        top->errors[i].line < 0 ? 0 : top->errors[i].line + 1, top->errors[i].text.c_str());
    return false;
}

bool ImgSrc::LoadPixels(std::vector<uint8_t>& pixels) {
    if (!instance) return error("Instance is nullptr");
    if (path.empty()) return error("ImgPath(%s) not found", path.c_str());
    const std::string extension = lowerExtension(path);
    std::vector<uint8_t> data;
    if (instance->loadResource(this, data, path, false) == 0)
        return error("Cannot load resource (%s)", path.c_str());
    unsigned width = 0, height = 0, bpp = 0;
    if (!Instance::decodeImage(pixels, width, height, bpp, data, extension))
        return error("Cannot decode source (%s) of extension (%s)", path.c_str(), extension.c_str());
    if (width == 0)
        return error("Wrong pixel resolution %dx%d", static_cast<int>(width), static_cast<int>(height));
    if (bpp != 24 && bpp != 32) return error("Unsopported pixel format (bpp=%d)", static_cast<int>(bpp));
    pixSize[0] = static_cast<int>(width);
    pixSize[1] = static_cast<int>(height);
    pixSize[2] = static_cast<int>(bpp);
    type = Img::kImage;
    mipmaps = std::clamp(value1i("mipmaps", 1), 1, maxLevels(pixSize[0], pixSize[1]));
    return true;
}

bool ImgSrc::LoadImg() {
    std::vector<uint8_t> pixels;
    return LoadPixels(pixels) && upload(pixels);
}

bool ImgSrc::upload(const std::vector<uint8_t>& pixels) {
    const int width = pixSize[0], height = pixSize[1], bpp = pixSize[2];
    const bool rgba = bpp == 32;
    // Immutable storage keeps its size and format for life: the same shape
    // is refilled in place, any other gets a new texture.
    const bool sameShape = texture && storage_[0] == width && storage_[1] == height && storage_[2] == bpp &&
                           storage_[3] == mipmaps;
    if (texture && !sameShape) releaseTexture();
    glActiveTexture(GL_TEXTURE0);
    if (!texture) glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint unpackAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // RGB rows need not be 4-byte multiples
    if (!sameShape) {
        if (glTexStorage2D) {
            glTexStorage2D(GL_TEXTURE_2D, mipmaps, rgba ? GL_RGBA8 : GL_RGB8, width, height);
        } else {
            // Contexts without immutable storage: the same levels, allocated
            // as mutable storage and limited to `mipmaps`.
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, mipmaps - 1);
            glTexImage2D(GL_TEXTURE_2D, 0, rgba ? GL_RGBA8 : GL_RGB8, width, height, 0,
                         rgba ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        }
        storage_[0] = width;
        storage_[1] = height;
        storage_[2] = bpp;
        storage_[3] = mipmaps;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, rgba ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                    pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}

}  // namespace koui::res
