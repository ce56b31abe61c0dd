#include "koui/family/gl_font_list.h"

#include <limits>

namespace ko::gl {

FontList::~FontList() = default;

Font* FontList::find(const std::string& path, int pixelSize) const {
    std::lock_guard guard(lock_);
    const auto it = fonts_.find({path, pixelSize});
    return it == fonts_.end() ? nullptr : it->second.get();
}

Font* FontList::add(std::vector<uint8_t> bytes, const std::string& path, int pixelSize) {
    std::lock_guard guard(lock_);
    auto& slot = fonts_[{path, pixelSize}];
    if (slot) return slot.get();
    slot = Font::fromBytes(std::move(bytes), pixelSize, path);
    if (!slot) {
        fonts_.erase({path, pixelSize});
        return nullptr;
    }
    return slot.get();
}

Font* FontList::addSize(const std::string& path, int pixelSize) {
    std::lock_guard guard(lock_);
    if (const auto it = fonts_.find({path, pixelSize}); it != fonts_.end()) return it->second.get();
    const auto sibling = fonts_.lower_bound({path, std::numeric_limits<int>::min()});
    if (sibling == fonts_.end() || sibling->first.first != path) return nullptr;
    std::unique_ptr<Font> made = Font::fromBytes(sibling->second->face().bytes(), pixelSize, path);
    if (!made) return nullptr;
    return fonts_.emplace(std::pair(path, pixelSize), std::move(made)).first->second.get();
}

size_t FontList::size() const {
    std::lock_guard guard(lock_);
    return fonts_.size();
}

void FontList::clear() {
    std::lock_guard guard(lock_);
    fonts_.clear();
}

}  // namespace ko::gl
