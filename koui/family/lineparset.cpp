#include "koui/family/lineparset.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace ko::util {

int stAtoiSat(const char* text) {
    if (!text) return 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

int CmcLineParSet::Feed(const char* line, int length, int flags) {
    params_.clear();
    pos_ = 0;
    if (!line) line = "";
    const size_t size = length < 0 ? std::strlen(line) : strnlen(line, static_cast<size_t>(length));
    line_.assign(line, size);
    if (line_.empty()) return 0;

    size_t begin = 0;
    for (;;) {
        const size_t stop = line_.find(separator_, begin);
        std::string text = line_.substr(begin, stop == std::string::npos ? std::string::npos : stop - begin);
        if (!(flags & kLpsKeepSpaces)) text = trimmed(text);
        params_.push_back({std::move(text), begin});
        if (stop == std::string::npos) break;
        begin = stop + 1;
    }
    return GetCount();
}

const char* CmcLineParSet::Get(int index) const {
    if (index < 0 || index >= GetCount()) return "";
    return params_[static_cast<size_t>(index)].text.c_str();
}

int CmcLineParSet::GetIntPar(int index, int def) const {
    const char* text = Get(index);
    return *text ? stAtoiSat(text) : def;
}

double CmcLineParSet::GetDoublePar(int index, double def) const {
    const char* text = Get(index);
    return *text ? std::atof(text) : def;
}

const char* CmcLineParSet::GetSrcText(int index) const {
    if (index < 0 || index >= GetCount()) return "";
    return line_.c_str() + params_[static_cast<size_t>(index)].rawStart;
}

int CmcLineParSet::GetSrcText(int index, char* buffer, int size) const {
    if (!buffer || size < 1) return 0;
    const char* text = GetSrcText(index);
    const size_t count = strnlen(text, static_cast<size_t>(size - 1));
    std::memcpy(buffer, text, count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

}  // namespace ko::util
