// NodeList: the children of a Node, in 16 bytes.
//
// Most nodes of a theme have no children, yet a std::vector costs every node
// 24 bytes; this list is a pointer with a 32-bit size and capacity, and
// offers the vector operations the code base uses (iterators, indexing,
// push_back, insert, erase, clear, reserve, swap), so it reads like one.
// Children are owned by the node, not by the list: the list only holds the
// pointers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "koui/export.h"

namespace koui::res {

class Node;

class KOUI_API NodeList {
public:
    using value_type = Node*;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = Node*&;
    using const_reference = Node* const&;
    using pointer = Node**;
    using const_pointer = Node* const*;
    using iterator = Node**;
    using const_iterator = Node* const*;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    NodeList() = default;
    NodeList(const NodeList& other) { insert(end(), other.begin(), other.end()); }
    NodeList(NodeList&& other) noexcept : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    NodeList& operator=(NodeList other) noexcept {
        swap(other);
        return *this;
    }
    ~NodeList();

    size_type size() const noexcept { return size_; }
    size_type capacity() const noexcept { return capacity_; }
    bool empty() const noexcept { return size_ == 0; }
    Node** data() noexcept { return data_; }
    Node* const* data() const noexcept { return data_; }

    iterator begin() noexcept { return data_; }
    iterator end() noexcept { return data_ + size_; }
    const_iterator begin() const noexcept { return data_; }
    const_iterator end() const noexcept { return data_ + size_; }
    const_iterator cbegin() const noexcept { return begin(); }
    const_iterator cend() const noexcept { return end(); }
    reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
    reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }

    Node*& operator[](size_type i) noexcept { return data_[i]; }
    Node* operator[](size_type i) const noexcept { return data_[i]; }
    Node*& front() noexcept { return data_[0]; }
    Node* front() const noexcept { return data_[0]; }
    Node*& back() noexcept { return data_[size_ - 1]; }
    Node* back() const noexcept { return data_[size_ - 1]; }

    void push_back(Node* node) {
        if (size_ == capacity_) grow(size_ + 1);
        data_[size_++] = node;
    }
    iterator insert(const_iterator pos, Node* node) { return insert(pos, &node, &node + 1); }
    template <class It>
    iterator insert(const_iterator pos, It first, It last) {
        const size_type at = static_cast<size_type>(pos - data_);
        const size_type n = static_cast<size_type>(std::distance(first, last));
        if (size_ + n > capacity_) grow(size_ + n);
        Node** const p = data_ + at;
        moveUp(p, n);
        for (Node** out = p; first != last; ++first) *out++ = *first;
        size_ += static_cast<uint32_t>(n);
        return p;
    }
    iterator erase(const_iterator pos) { return erase(pos, pos + 1); }
    iterator erase(const_iterator first, const_iterator last);
    void clear() noexcept { size_ = 0; }
    void reserve(size_type n) {
        if (n > capacity_) grow(n);
    }
    // Gives the spare capacity back, e.g. once a parsed block is complete.
    void shrink_to_fit();
    void swap(NodeList& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    operator std::vector<Node*>() const { return {begin(), end()}; }
    friend bool operator==(const NodeList& a, const NodeList& b) noexcept;

private:
    // Room for at least `n` pointers (growing by half again at least).
    void grow(size_type n);
    // Shifts the pointers from `p` on by `n` places (capacity is there).
    void moveUp(Node** p, size_type n) noexcept;

    Node** data_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};
static_assert(sizeof(NodeList) == 16);

}  // namespace koui::res
