// NodeText: the name and the value text of a Node, in 16 bytes.
//
// A theme tree holds a name and a value per node, nearly all of them short
// words and numbers. std::string spends 32 bytes on each; this type keeps up
// to 15 bytes inline and longer texts on the heap (pointer and size), and is
// always zero-terminated, so c_str() costs nothing either way.
//
// Layout: inline, byte 15 holds 15 minus the size, which makes it the
// terminator when the text takes all 15 bytes; on the heap, the size's
// highest byte (byte 15 on a little-endian machine) has its top bit set.
//
// It reads like a std::string for the rest of the code base: comparisons
// with strings, views and C strings, size/empty/c_str/data, views, and an
// implicit conversion to std::string for calls that take one.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "koui/export.h"

namespace koui::res {

class KOUI_API NodeText {
public:
    static constexpr std::size_t kInline = 15;
    static constexpr std::size_t npos = std::string_view::npos;

    NodeText() noexcept { clearInline(); }
    NodeText(std::string_view text) { init(text); }  // NOLINT: reads like a std::string
    NodeText(const std::string& text) { init(text); }
    NodeText(const char* text) { init(text); }
    NodeText(const NodeText& other) { init(other.view()); }
    NodeText(NodeText&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.clearInline();
    }
    ~NodeText() { freeHeap(); }

    NodeText& operator=(const NodeText& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    NodeText& operator=(NodeText&& other) noexcept {
        if (this != &other) {
            freeHeap();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.clearInline();
        }
        return *this;
    }
    NodeText& operator=(std::string_view text) { return assign(text); }
    NodeText& operator=(const std::string& text) { return assign(text); }
    NodeText& operator=(const char* text) { return assign(text); }
    NodeText& assign(std::string_view text);
    NodeText& assign(const char* first, const char* last) {
        return assign(std::string_view(first, last - first));
    }
    NodeText& operator+=(std::string_view text);
    void clear() noexcept {
        freeHeap();
        clearInline();
    }

    bool onHeap() const noexcept { return (bytes_[kInline] & kHeapBit) != 0; }
    std::size_t size() const noexcept { return onHeap() ? heapSize() : kInline - bytes_[kInline]; }
    std::size_t length() const noexcept { return size(); }
    bool empty() const noexcept { return size() == 0; }
    const char* data() const noexcept {
        return onHeap() ? heapData() : reinterpret_cast<const char*>(bytes_);
    }
    const char* c_str() const noexcept { return data(); }
    std::string_view view() const noexcept { return {data(), size()}; }
    operator std::string_view() const noexcept { return view(); }
    operator std::string() const { return std::string(view()); }
    std::string str() const { return std::string(view()); }

    const char* begin() const noexcept { return data(); }
    const char* end() const noexcept { return data() + size(); }
    char operator[](std::size_t i) const noexcept { return data()[i]; }
    char front() const noexcept { return data()[0]; }
    char back() const noexcept { return data()[size() - 1]; }
    std::size_t find(std::string_view s, std::size_t pos = 0) const noexcept { return view().find(s, pos); }
    std::size_t find(char c, std::size_t pos = 0) const noexcept { return view().find(c, pos); }
    std::size_t rfind(char c, std::size_t pos = npos) const noexcept { return view().rfind(c, pos); }
    std::string substr(std::size_t pos, std::size_t n = npos) const {
        return std::string(view().substr(pos, n));
    }
    int compare(std::string_view s) const noexcept { return view().compare(s); }
    bool starts_with(std::string_view s) const noexcept { return view().starts_with(s); }

    friend bool operator==(const NodeText& a, const NodeText& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const NodeText& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const NodeText& a, const std::string& b) noexcept { return a.view() == b; }
    friend bool operator==(const NodeText& a, const char* b) noexcept { return a.view() == b; }
    friend auto operator<=>(const NodeText& a, const NodeText& b) noexcept { return a.view() <=> b.view(); }
    friend auto operator<=>(const NodeText& a, std::string_view b) noexcept { return a.view() <=> b; }

    friend std::string operator+(std::string a, const NodeText& b) { return a += b.view(); }
    friend std::string operator+(const char* a, const NodeText& b) { return std::string(a) += b.view(); }
    friend std::string operator+(const NodeText& a, std::string_view b) {
        std::string out(a.view());
        return out += b;
    }
    friend std::string operator+(const NodeText& a, const std::string& b) { return a + std::string_view(b); }
    friend std::string operator+(const NodeText& a, const char* b) { return a + std::string_view(b); }
    friend std::string operator+(const NodeText& a, const NodeText& b) { return a + b.view(); }
    friend std::string operator+(const NodeText& a, char b) {
        std::string out(a.view());
        return out += b;
    }

private:
    static constexpr unsigned char kHeapBit = 0x80;
    static_assert(std::endian::native == std::endian::little,
                  "the heap flag sits in the size's highest byte");

    void clearInline() noexcept {
        bytes_[0] = 0;
        bytes_[kInline] = kInline;
    }
    // Sets the text on a NodeText that holds nothing on the heap.
    void init(std::string_view text);
    void freeHeap() noexcept;
    std::size_t heapSize() const noexcept {
        uint64_t size;
        std::memcpy(&size, bytes_ + 8, 8);
        return static_cast<std::size_t>(size & ~(uint64_t{kHeapBit} << 56));
    }
    const char* heapData() const noexcept {
        const char* p;
        std::memcpy(&p, bytes_, sizeof p);
        return p;
    }

    alignas(8) unsigned char bytes_[16];
};
static_assert(sizeof(NodeText) == 16);

KOUI_API std::ostream& operator<<(std::ostream& out, const NodeText& text);

}  // namespace koui::res

template <>
struct std::hash<koui::res::NodeText> {
    std::size_t operator()(const koui::res::NodeText& text) const noexcept {
        return std::hash<std::string_view>()(text.view());
    }
};
