#include "koui/ui/background_program.h"

#include <GL/glew.h>

#include "koui/family/context_objects.h"
#include "koui/family/glsl_program.h"

namespace koui::background {

const char* const kVertex = R"(#version 430 core
uniform mat4 mvp;
uniform vec2 pos = vec2(0.0, 0.0);
uniform vec2 size = vec2(0.0, 0.0);
uniform float border_radius = 0.0;
out vec2 tuv;
flat out vec2 osize;
flat out vec2 bth;
const vec2 kCorners[4] = vec2[4](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0));
void main() {
    tuv = kCorners[gl_VertexID] * size;
    osize = size;
    bth = size / 2.0 - border_radius;
    gl_Position = mvp * vec4(pos + tuv, 0.0, 1.0);
}
)";

// tuv counts pixels from the rectangle's top left corner. Inside a corner
// square the distance to the corner circle's centre decides: beyond the
// radius nothing, within its last pixel a blend into the border colour.
// With edge_smooth the pixel beyond the radius is not discarded but keeps
// the part of it the shape covers as alpha, so the curve does not stair-step.
const char* const kFragment = R"(#version 430 core
in vec2 tuv;
flat in vec2 osize;
flat in vec2 bth;
uniform vec4 bkcolor = vec4(1.0, 1.0, 1.0, 1.0);
uniform vec4 border_color = vec4(0.0, 0.0, 0.0, 0.0);
uniform float border_size = 0.0;
uniform float border_radius = 0.0;
uniform float edge_smooth = 0.0;
out vec4 out_color;
void main() {
    if (border_radius > 0.0) {
        vec2 p = abs(tuv - osize / 2.0);
        if (p.x > bth.x && p.y > bth.y) {
            float d = length(p - bth);
            float cover = edge_smooth > 0.0 ? clamp(border_radius + 1.0 - d, 0.0, 1.0) : 1.0;
            if (d > border_radius && (edge_smooth <= 0.0 || cover <= 0.0)) discard;
            out_color = mix(bkcolor, border_color, clamp(d - border_radius + border_size + 1.0, 0.0, 1.0));
            out_color.a *= cover;
            return;
        }
    }
    if (border_size < tuv.x && tuv.x < osize.x - border_size && border_size < tuv.y &&
        tuv.y < osize.y - border_size)
        out_color = bkcolor;
    else
        out_color = border_color;
}
)";

namespace {

const ko::gl::ProgramText kText{kVertex, kFragment};

}  // namespace

bool acquire(ko::glsl::Program** program, unsigned* vertexArray) {
    ko::glsl::Program* p = ko::gl::contextProgram(kText);
    *program = p;
    *vertexArray = p ? ko::gl::contextVertexArray() : 0;
    return p != nullptr;
}

}  // namespace koui::background
