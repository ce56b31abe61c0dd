// Canvas pixels back into an element's coordinates: the inverse of one of
// its matrices applied to (x, y, 0, 1).
//
// Element matrices are almost always plane affine (translations, and the
// scale of a pan-and-zoom view): then the 2 x 2 part is inverted directly,
// which is what keeps a hit test over ten thousand elements cheap. Any other
// matrix goes through the full 4 x 4 inverse.
#pragma once
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>

namespace koui {

inline glm::vec2 unproject(const glm::mat4& m, float x, float y) {
    bool planeAffine = m[0][3] == 0 && m[1][3] == 0 && m[2][3] == 0 && m[3][3] == 1 && m[2][0] == 0 &&
                       m[2][1] == 0 && m[0][2] == 0 && m[1][2] == 0;
    if (planeAffine) {
        float a = m[0][0], b = m[1][0], c = m[0][1], d = m[1][1];  // x' = a x + b y, y' = c x + d y
        float det = a * d - b * c;
        if (det != 0) {
            float dx = x - m[3][0], dy = y - m[3][1];
            return {(d * dx - b * dy) / det, (a * dy - c * dx) / det};
        }
    }
    glm::vec4 p = glm::inverse(m) * glm::vec4(x, y, 0.0f, 1.0f);
    return {p.x, p.y};
}

}  // namespace koui
