// ko::util::math::VMat: a 2D/3D view transform kept as its parts (offset,
// scale, rotation, pivot) rather than as a matrix, so that pan and zoom code
// can change one part and read the others back exactly.
//
// The matrix is translation by offset x scaling by scale x rotation by
// `rotation[0]` degrees about z x translation by minus the pivot; the other
// two rotation values are carried but not used. With rotation and pivot at
// 0 a point p shows at offset + scale * p on each axis.
#pragma once

#include <glm/mat4x4.hpp>

#include "koui/export.h"

namespace ko::util::math {

struct KOUI_API VMat {
    double offset[3] = {0, 0, 0};
    double scale[3] = {1, 1, 1};
    double rotation[3] = {0, 0, 0};  // degrees about z, then two unused values
    double pivot[3] = {0, 0, 0};

    glm::mat4 matrix() const;
    bool operator==(const VMat&) const = default;
};

}  // namespace ko::util::math
