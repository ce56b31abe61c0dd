// Event records that pass between the canvas and elements: plain structures
// filled on the caller's stack and handed over by pointer, so that a handler
// costs no allocation. Field order is part of the interface (subclasses and
// applications fill them by position).
#pragma once
#include <cstdint>
#include <glm/mat4x4.hpp>
#include <string>

#include "koui/export.h"

namespace koui {

class Canvas;
class Div;

// Pointer event codes of e_mtevent::type.
enum : uint32_t {
    MT_MOVE = 0x1000,
    MT_LDOWN = 0x1011,
    MT_LUP = 0x1012,
    MT_RDOWN = 0x1021,
    MT_RUP = 0x1022,
    MT_MDOWN = 0x1031,
    MT_MUP = 0x1032,
    MT_XDOWN = 0x1041,  // a fourth press kind: never turned into drag moves
    MT_WHEEL = 0x1051,
};

// Modifier bits of every event record.
enum : uint32_t { MOD_CTRL = 0x1, MOD_SHIFT = 0x2, MOD_ALT = 0x4 };

// Message ids shared by the element core and the widgets.
enum : uint32_t { MSG_DELETE = 100, MSG_CLICK = 1000, MSG_PRESS = 1010, MSG_RELEASE = 1011 };

struct KOUI_API e_iterate {
    double time;          // seconds since the canvas started
    int32_t level;        // depth of the element being iterated (0: the canvas's children)
    int32_t viewport[4];  // x, y, width, height of the canvas
    glm::mat4 proj;       // x 0..width, y 0 (top)..height (bottom)
    glm::mat4 view;       // identity
    glm::mat4 mvp;        // proj * view * the canvas's client transform
};

struct KOUI_API e_draw {
    double time;
    int32_t viewport[4];  // height turns top-down rectangles into scissor rectangles
    glm::mat4 proj;
    glm::mat4 view;
    glm::mat4 mvp;
    // The canvas whose scissor stack culls this pass (Div::Draw), or null
    // to draw every element; set by Canvas::Draw while its cullOutside is on.
    Canvas* cullTo = nullptr;
};

struct KOUI_API e_mtevent {
    uint32_t type;
    float pos[3];        // receiver's client coordinates; z: +1 / -1 for the wheel
    float canvasPos[3];  // canvas pixels; z: the raw wheel value
    uint32_t mods;
    float viewPos[2];  // receiver's clientViewMat coordinates (before localMat)
};

struct KOUI_API e_keyevent {
    int32_t key;  // Windows virtual-key code
    int32_t ch;   // the character the key maps to
    int32_t mods;
};

struct KOUI_API e_charevent {
    int32_t ch;
    int32_t second;  // always 0
    int32_t mods;
};

struct KOUI_API e_msg {
    uint32_t id = 0;
    Div* from = nullptr;
    Div* to = nullptr;  // set for queued messages, null for direct sends
    void* ptr1 = nullptr;
    uint32_t num1 = 0;
    void* ptr2 = nullptr;
    uint32_t num2 = 0;
    std::string str;
};

// One hit of a hit test.
struct KOUI_API e_getdivpos {
    Div* div;
    float pos[2];   // the point in that element's client coordinates
    int32_t level;  // depth below the element where the search started
};

}  // namespace koui
