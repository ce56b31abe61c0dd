#include "koui/rm/rmfmtfont.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "koui/family/lineparset.h"
#include "koui/rm/rm.h"

using namespace ko::util;

namespace koui {

namespace {

template <size_t N>
void copyTruncated(char (&field)[N], const std::string& text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string trimmed(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

bool RMFmtFont::Create(CmcLineParSet& line) {
    const int pos = line.GetPos();
    if (!*line.Get(pos)) return false;
    setname(line.Get(pos));
    for (int i = pos + 1; i < line.GetCount(); ++i) {
        const std::string pair = line.Get(i);
        const size_t equals = pair.find('=');
        const std::string key = trimmed(pair.substr(0, equals));
        const std::string value =
            equals == std::string::npos ? std::string() : trimmed(pair.substr(equals + 1));
        if (strcasecmp(key.c_str(), "font") == 0) {
            copyTruncated(fontId, value);
        } else if (strcasecmp(key.c_str(), "color") == 0) {
            copyTruncated(colorId, value);
        } else if (strcasecmp(key.c_str(), "scale") == 0) {
            scale = std::atof(value.c_str());
        } else if (strcasecmp(key.c_str(), "align") == 0) {
            align = strcasecmp(value.c_str(), "center") == 0
                        ? 1
                        : (strcasecmp(value.c_str(), "right") == 0 ? 2 : 0);
        } else if (strcasecmp(key.c_str(), "rep") == 0) {
            repCount = stAtoiSat(value.c_str());
        } else if (strcasecmp(key.c_str(), "xdelta") == 0) {
            xDelta = stAtoiSat(value.c_str());
        }
    }
    if (rmTraceLevel >= 1)
        _mclog("fmtFont %s Created (font=%s,color=%s,scale=%.2f,align=%d,repCount=%d,xDelta=%.2f", getname(),
               fontId, colorId, scale, align, repCount, xDelta);
    return true;
}

RMFmtFont* RMFmtFontList::Add(CmcLineParSet& line) {
    if (line.GetCount() == 0) return nullptr;
    auto* font = new RMFmtFont();
    if (!font->Create(line)) {
        if (rmTraceLevel >= 1) _mclog("Creating formated font from \"%s\"", line.GetLine());
        delete font;
        return nullptr;
    }
    font->rm = rm;
    font->_mcSetParent(this);
    items_.Add(font);
    return font;
}

RMFmtFont* RMFmtFontList::GetByID(const char* id) const {
    if (!id) return nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        RMFmtFont* font = items_.Get(i);
        if (std::strcmp(font->getname(), id) == 0) return font;
    }
    return nullptr;
}

}  // namespace koui
