// Helpers of the element tests: a canvas over a fixed viewport, elements that
// record what reaches them, and one iterate pass to compute the geometry.
#pragma once
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "koui/host/canvas.h"
#include "koui/ui/div.h"

namespace koui::test {

// An element that records its handler calls and answers as told.
class Probe : public Div {
public:
    bool acceptMT = false;
    bool acceptFocus = true;
    bool releaseFocus = true;
    int iterated = 0;
    std::vector<uint32_t> mtTypes;
    std::vector<glm::vec3> mtPos;  // z: the wheel's sign
    std::vector<e_msg> msgs;
    std::vector<std::pair<std::string, Div*>> focusCalls;
    std::vector<int> keys, chars;
    void OnIterate(e_iterate*) override { ++iterated; }
    bool OnMTEvent(e_mtevent* e) override {
        mtTypes.push_back(e->type);
        mtPos.emplace_back(e->pos[0], e->pos[1], e->pos[2]);
        return acceptMT;
    }
    bool OnMsg(e_msg* m) override {
        msgs.push_back(*m);
        return true;
    }
    bool OnSetFocus(Div* prev) override {
        focusCalls.emplace_back("set", prev);
        return acceptFocus;
    }
    bool OnKillFocus(Div* next) override {
        focusCalls.emplace_back("kill", next);
        return releaseFocus;
    }
    bool OnKeyEvent(e_keyevent* e) override {
        keys.push_back(e->key);
        return true;
    }
    bool OnCharEvent(e_charevent* e) override {
        chars.push_back(e->ch);
        return true;
    }
};

template <class T = Probe>
T* make(Div* parent, int x, int y, int cx, int cy, const std::string& name = "", unsigned long opts = 0) {
    T* d = new T();
    d->Create(name, parent, x, y, cx, cy, nullptr, opts, "");
    return d;
}

// Matches a float array element by element, each as EXPECT_FLOAT_EQ compares.
template <class... T>
auto floatsAre(T... v) {
    return ::testing::ElementsAre(::testing::FloatEq(static_cast<float>(v))...);
}

// A canvas without UI instance over a w x h viewport.
inline Canvas* makeCanvas(int w, int h) {
    Canvas* c = new Canvas();
    c->setViewport(0, 0, w, h);
    return c;
}

}  // namespace koui::test

namespace glm {
inline void PrintTo(const vec3& v, std::ostream* os) {
    *os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
}  // namespace glm
