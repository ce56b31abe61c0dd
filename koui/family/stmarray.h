// CstmLinearArray: a growable array of fixed-size elements addressed by
// index; CstmArray<T>: its typed wrapper for trivially copyable values
// (the classic resource lists keep object pointers in it).
//
// Addresses returned by laAdd/laGetAddress stay valid until the next laAdd or
// laDeleteAll, as with any growable buffer.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

#include "koui/export.h"

namespace ko::util {

class KOUI_API CstmLinearArray {
public:
    // `flags` is accepted for the family interface; no flag changes behaviour.
    explicit CstmLinearArray(int elementSize = 8, int flags = 0);

    // Appends `count` zero-filled elements; returns the first one, or null
    // when count < 1.
    void* laAdd(int count = 1, int flags = 0);
    // Element `index`, or null outside 0..count-1.
    void* laGetAddress(int index);
    const void* laGetAddress(int index) const;
    int laGetCount() const { return count_; }
    int laGetElementSize() const { return static_cast<int>(elementSize_); }
    void laDeleteAll();

private:
    size_t elementSize_;
    int count_ = 0;
    std::vector<unsigned char> bytes_;
};

template <class T>
class CstmArray {
    static_assert(std::is_trivially_copyable_v<T>, "CstmArray holds plain values");

public:
    CstmArray() : array_(static_cast<int>(sizeof(T))) {}

    // Appends `value`; returns 0.
    int Add(const T& value) {
        std::memcpy(array_.laAdd(1), &value, sizeof(T));
        return 0;
    }
    // Element `index`, or a value-initialised T (null for pointers) outside the range.
    T Get(int index) const {
        T value{};
        if (const void* at = array_.laGetAddress(index)) std::memcpy(&value, at, sizeof(T));
        return value;
    }
    T operator()(int index) const { return Get(index); }
    int GetCount() const { return array_.laGetCount(); }
    void DeleteAll() { array_.laDeleteAll(); }

private:
    CstmLinearArray array_;
};

}  // namespace ko::util
