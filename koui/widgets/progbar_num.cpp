// FixedProgBarNum: the number text, its format check and the bar over it.
#include "koui/widgets/progbar_num.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <glm/gtc/type_ptr.hpp>

#include "koui/res/instance.h"
#include "koui/widgets/progbar.h"

namespace koui {

FixedProgBarNum::~FixedProgBarNum() = default;

FixedProgBarNum* FixedProgBarNum::setRange(double min, double max) {
    minValue = min;
    maxValue = max;
    return this;
}

FixedProgBarNum* FixedProgBarNum::setValue(double v) {
    if (v > maxValue)
        v = maxValue;
    else if (minValue > v)
        v = minValue;
    value = v;
    return this;
}

FixedProgBarNum* FixedProgBarNum::setUnits(const std::string& u) {
    units = u;
    return this;
}

bool FixedProgBarNum::isOneDoubleFormat(const std::string& f) {
    int conversions = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') continue;
        if (++i < f.size() && f[i] == '%') continue;
        i += std::strspn(f.c_str() + i, "-+ #0123456789.");
        if (i >= f.size() || !std::strchr("fFeEgGaA", f[i])) return false;
        ++conversions;
    }
    return conversions == 1;
}

bool FixedProgBarNum::setNumFormat(const std::string& f) {
    if (!isOneDoubleFormat(f)) return false;
    numFormat = f;
    return true;
}

double FixedProgBarNum::getNorm() const {
    return progNorm(value, minValue, maxValue);
}

void FixedProgBarNum::OnIterate(e_iterate* e) {
    char buf[256];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(buf, sizeof buf, numFormat.c_str(), value);  // checked by setNumFormat
#pragma GCC diagnostic pop
    size_t n = std::strlen(buf);
    if (text.size() != n + units.size() || text.compare(0, n, buf) != 0 ||
        text.compare(n, units.size(), units) != 0)
        setText(buf + units);
    Static::OnIterate(e);
}

void FixedProgBarNum::OnDraw(e_draw* e) {
    Static::OnDraw(e);
    drawProgBar(barImage, glm::value_ptr(mvp), static_cast<float>(barX), static_cast<float>(barY), getNorm());
}

void FixedProgBarNum::OnUpdateStyle() {
    Static::OnUpdateStyle();
    res::Instance* ri = resInst();
    if (!ri || !GetStyleNode()) return;
    barImage = ri->image(stylePath + ".bar-image");
    ko::util::StrPar p = getParVec(stylePath + ".bar-image-pos");
    barX = std::atoi(p.get(0).c_str());
    barY = std::atoi(p.get(1).c_str());
}

}  // namespace koui
