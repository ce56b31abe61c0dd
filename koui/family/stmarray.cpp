#include "koui/family/stmarray.h"

namespace ko::util {

CstmLinearArray::CstmLinearArray(int elementSize, int /*flags*/)
    : elementSize_(elementSize < 1 ? 1 : static_cast<size_t>(elementSize)) {}

void* CstmLinearArray::laAdd(int count, int /*flags*/) {
    if (count < 1) return nullptr;
    const size_t first = bytes_.size();
    bytes_.resize(first + static_cast<size_t>(count) * elementSize_, 0);
    count_ += count;
    return bytes_.data() + first;
}

void* CstmLinearArray::laGetAddress(int index) {
    return const_cast<void*>(static_cast<const CstmLinearArray*>(this)->laGetAddress(index));
}

const void* CstmLinearArray::laGetAddress(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return bytes_.data() + static_cast<size_t>(index) * elementSize_;
}

void CstmLinearArray::laDeleteAll() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    count_ = 0;
}

}  // namespace ko::util
