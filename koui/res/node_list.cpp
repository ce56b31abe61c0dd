#include "koui/res/node_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace koui::res {

NodeList::~NodeList() {
    std::free(data_);
}

void NodeList::grow(size_type n) {
    if (n > std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
    // Doubling, as a vector does; a parsed block's children come in one
    // insert and get exactly their room.
    const size_type wanted = std::max<size_type>(n, size_type{capacity_} * 2);
    const size_type cap = std::min<size_type>(wanted, std::numeric_limits<uint32_t>::max());
    void* p = std::realloc(data_, cap * sizeof(Node*));
    if (!p) throw std::bad_alloc();
    data_ = static_cast<Node**>(p);
    capacity_ = static_cast<uint32_t>(cap);
}

void NodeList::moveUp(Node** p, size_type n) noexcept {
    if (n) std::memmove(p + n, p, static_cast<size_t>(end() - p) * sizeof(Node*));
}

NodeList::iterator NodeList::erase(const_iterator first, const_iterator last) {
    Node** const p = data_ + (first - data_);
    const size_type n = static_cast<size_type>(last - first);
    std::memmove(p, p + n, static_cast<size_t>(end() - (p + n)) * sizeof(Node*));
    size_ -= static_cast<uint32_t>(n);
    return p;
}

void NodeList::shrink_to_fit() {
    if (size_ == capacity_) return;
    if (size_ == 0) {
        std::free(data_);
        data_ = nullptr;
        capacity_ = 0;
        return;
    }
    if (void* p = std::realloc(data_, size_ * sizeof(Node*))) {
        data_ = static_cast<Node**>(p);
        capacity_ = size_;
    }
}

bool operator==(const NodeList& a, const NodeList& b) noexcept {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace koui::res
