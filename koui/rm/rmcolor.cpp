#include "koui/rm/rmcolor.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "koui/family/hexcolor.h"
#include "koui/family/lineparset.h"
#include "koui/rm/rm.h"

using namespace ko::util;

namespace koui {

bool RMColor::Create(CmcLineParSet& line) {
    const int pos = line.GetPos();
    const char* name = line.Get(pos);
    const char* value = line.Get(pos + 1);
    if (!*name || !*value) return false;
    setname(name);

    if (value[0] == '#') {
        stReadHexColor(rgbaf, value + 1, 4, 1.0f);
        if (rmTraceLevel >= 1)
            _mclog("Color %s from hex=%s / color(%.3f,%.3f,%.3f,%.3f) ", name, value, rgbaf[0], rgbaf[1],
                   rgbaf[2], rgbaf[3]);
    } else if (strcasecmp(value, "!int") == 0) {
        int source[4];
        for (int i = 0; i < 4; ++i) {
            source[i] = stAtoiSat(line.Get(pos + 2 + i));
            rgbaf[i] = static_cast<float>(source[i] / 255.0);
        }
        if (rmTraceLevel >= 1)
            _mclog("Color %s from !int / color(%.3f,%.3f,%.3f,%.3f) src=(%3d,%3d,%3d,%3d)", name, rgbaf[0],
                   rgbaf[1], rgbaf[2], rgbaf[3], source[0], source[1], source[2], source[3]);
    } else if (strcasecmp(value, "!float") == 0) {
        for (int i = 0; i < 4; ++i) rgbaf[i] = static_cast<float>(std::atof(line.Get(pos + 2 + i)));
        if (rmTraceLevel >= 1)
            _mclog("Color %s from !float / color(%.3f,%.3f,%.3f,%.3f) ", name, rgbaf[0], rgbaf[1], rgbaf[2],
                   rgbaf[3]);
    }
    for (int i = 0; i < 4; ++i) rgbad[i] = rgbaf[i];
    return true;
}

RMColor* RMColorList::Add(CmcLineParSet& line) {
    if (line.GetCount() == 0) return nullptr;
    auto* color = new RMColor();
    if (!color->Create(line)) {
        _mclog(3, "Creating color from \"%s\"", line.GetLine());
        delete color;
        return nullptr;
    }
    color->_mcSetParent(this);
    items_.Add(color);
    return color;
}

RMColor* RMColorList::GetByID(const char* id) const {
    if (!id) return nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        RMColor* color = items_.Get(i);
        if (std::strcmp(color->getname(), id) == 0) return color;
    }
    return nullptr;
}

}  // namespace koui
