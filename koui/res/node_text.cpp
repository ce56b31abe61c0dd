#include "koui/res/node_text.h"

#include <cstdlib>
#include <new>
#include <ostream>

namespace koui::res {

namespace {

// A heap copy of `text`, zero-terminated.
char* heapCopy(std::string_view text) {
    auto* p = static_cast<char*>(std::malloc(text.size() + 1));
    if (!p) throw std::bad_alloc();
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = 0;
    return p;
}

}  // namespace

void NodeText::init(std::string_view text) {
    const std::size_t n = text.size();
    if (n <= kInline) {
        std::memcpy(bytes_, text.data(), n);
        bytes_[kInline] = static_cast<unsigned char>(kInline - n);
        bytes_[n] = 0;  // the same byte as the line above when n is 15
        return;
    }
    char* p = heapCopy(text);
    const uint64_t size = static_cast<uint64_t>(n) | (uint64_t{kHeapBit} << 56);
    std::memcpy(bytes_, &p, sizeof p);
    std::memcpy(bytes_ + 8, &size, 8);
}

void NodeText::freeHeap() noexcept {
    if (onHeap()) std::free(const_cast<char*>(heapData()));
}

NodeText& NodeText::assign(std::string_view text) {
    // `text` may lie in this object's own bytes: build the new state first.
    NodeText fresh(text);
    freeHeap();
    std::memcpy(bytes_, fresh.bytes_, sizeof bytes_);
    fresh.clearInline();
    return *this;
}

NodeText& NodeText::operator+=(std::string_view text) {
    std::string joined(view());
    joined += text;
    return assign(joined);
}

std::ostream& operator<<(std::ostream& out, const NodeText& text) {
    return out << text.view();
}

}  // namespace koui::res
