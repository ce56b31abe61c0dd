#include "koui/res/srcline.h"

namespace koui::res {

namespace {
const char* skipBlanks(const char* p) {
    while (*p != 0 && SrcLine::isBlank(*p)) ++p;
    return p;
}
}  // namespace

bool SrcLine::isEmpty() const {
    return *skipBlanks(text.c_str()) == 0;
}

bool SrcLine::isComment() const {
    return *skipBlanks(text.c_str()) == '#';
}

}  // namespace koui::res
