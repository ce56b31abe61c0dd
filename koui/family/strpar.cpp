#include "koui/family/strpar.h"

namespace ko::util {

StrPar StrPar::split(std::string_view text, char sep) {
    StrPar out;
    size_t begin = 0;
    while (begin < text.size()) {
        const size_t end = text.find(sep, begin);
        if (end == std::string_view::npos) {
            out.add(std::string(text.substr(begin)));
            break;
        }
        out.add(std::string(text.substr(begin, end - begin)));
        begin = end + 1;
    }
    return out;
}

std::string StrPar::get(int i, std::string_view def) const {
    const std::string* item = at(i);
    return item ? *item : std::string(def);
}

const std::string* StrPar::at(int i) const {
    if (!has(i)) return nullptr;
    return &items_[static_cast<size_t>(start_ + i)];
}

}  // namespace ko::util
