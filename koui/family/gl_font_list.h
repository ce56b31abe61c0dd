// ko::gl::FontList: the fonts made so far, keyed by font file path and pixel
// size. One list belongs to each resource instance, which makes every
// (path, size) once and keeps it for its lifetime.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "koui/export.h"
#include "koui/family/gl_font.h"

namespace ko::gl {

class KOUI_API FontList {
public:
    FontList() = default;
    // Deletes the fonts; see Font::~Font about the GL context.
    ~FontList();
    FontList(const FontList&) = delete;
    FontList& operator=(const FontList&) = delete;

    // The font made for exactly this path and size, or null.
    Font* find(const std::string& path, int pixelSize) const;
    // Makes a font from the bytes of a font file and keeps it under (path,
    // size); returns it, or null (with the reason through appmsg) when the
    // bytes are no font. When the list has that key already, the font there
    // is returned and the bytes are not read, so that pointers handed out
    // earlier stay the only font of their key.
    Font* add(std::vector<uint8_t> bytes, const std::string& path, int pixelSize);
    // Makes and keeps a font at `pixelSize` from the file bytes of a font the
    // list holds under `path` at another size, so that a file is read and
    // kept in memory once however many sizes it is used at. Null when the
    // list has no font of that path (or the size is refused).
    Font* addSize(const std::string& path, int pixelSize);

    size_t size() const;
    // Deletes every font (the fonts' GL context current, as for ~Font).
    void clear();

private:
    mutable std::mutex lock_;
    std::map<std::pair<std::string, int>, std::unique_ptr<Font>> fonts_;
};

}  // namespace ko::gl
