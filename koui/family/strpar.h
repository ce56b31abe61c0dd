// ko::util::StrPar: an ordered list of strings with a start index.
//
// Element i is the string at start + i, or a caller's default when that is
// out of range; count() is size minus start. Moving the start index lets a
// reader consume leading items (arrangement commands step through a line
// this way) without copying the list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "koui/export.h"

namespace ko::util {

class KOUI_API StrPar {
public:
    StrPar() = default;
    explicit StrPar(std::vector<std::string> items, int start = 0)
        : items_(std::move(items)), start_(start) {}

    // Splits `text` at `sep`: an empty piece between two separators counts, a
    // trailing empty piece does not, and empty text gives no pieces.
    static StrPar split(std::string_view text, char sep);

    int count() const {
        return start_ >= static_cast<int>(items_.size()) ? 0 : static_cast<int>(items_.size()) - start_;
    }
    bool empty() const { return count() == 0; }
    bool has(int i) const { return i >= 0 && i < count(); }

    // The item at start + i, or `def` when out of range.
    std::string get(int i, std::string_view def = {}) const;
    // The item at start + i, or nullptr when out of range.
    const std::string* at(int i) const;

    int start() const { return start_; }
    void setStart(int start) { start_ = start < 0 ? 0 : start; }
    // Moves the start index by `n` items (the next item becomes item 0).
    void advance(int n = 1) { setStart(start_ + n); }

    void add(std::string item) { items_.push_back(std::move(item)); }
    void clear() {
        items_.clear();
        start_ = 0;
    }

    // The whole list, including items before the start index.
    const std::vector<std::string>& items() const { return items_; }
    int size() const { return static_cast<int>(items_.size()); }

private:
    std::vector<std::string> items_;
    int start_ = 0;
};

}  // namespace ko::util
