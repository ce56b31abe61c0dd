#include "koui/family/vmat.h"

#include <glm/gtc/matrix_transform.hpp>

namespace ko::util::math {

glm::mat4 VMat::matrix() const {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(offset[0], offset[1], offset[2]));
    m = glm::scale(m, glm::vec3(scale[0], scale[1], scale[2]));
    if (rotation[0] != 0)
        m = glm::rotate(m, glm::radians(static_cast<float>(rotation[0])), glm::vec3(0, 0, 1));
    return glm::translate(m, glm::vec3(-pivot[0], -pivot[1], -pivot[2]));
}

}  // namespace ko::util::math
