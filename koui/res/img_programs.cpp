#include "koui/res/img_programs.h"

namespace koui::res::programs {

// The image coordinate u is affine in the corner, so the vertex stage
// computes it (and the texture coordinate) per corner and lets the
// rasteriser interpolate; the fragment stage only tests 0 <= u < 1.
const char* const kImageVertex = R"(#version 330 core
const vec2 corners[4] = vec2[4](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0));
uniform mat4 mvp;
uniform vec2 pos = vec2(0.0, 0.0);
uniform vec2 size = vec2(0.0, 0.0);
uniform sampler2D stex;
uniform ivec2 align = ivec2(1, 1);
uniform int flags = 0;
uniform ivec2 section_pos = ivec2(0, 0);
uniform ivec2 section_size = ivec2(0, 0);
uniform float scale = 1.0;
uniform vec2 off = vec2(0.0, 0.0);
out vec2 u;
out vec2 tc;
void main() {
    vec2 corner = corners[gl_VertexID];
    vec2 v = corner * size;
    vec2 texSize = vec2(textureSize(stex, 0));
    bool whole = section_size.x <= 0;
    vec2 s = whole ? texSize : vec2(section_size);
    vec2 ratio = size / s;
    vec2 t;
    if ((flags & 2) != 0) t = s * scale;
    else if ((flags & 1) != 0) t = s * max(ratio.x, ratio.y);
    else t = s * min(ratio.x, ratio.y);
    vec2 placement = vec2(0.0);
    for (int i = 0; i < 2; ++i) {
        if (align[i] == 1) placement[i] = (size[i] - t[i]) * 0.5;
        else if (align[i] == 2) placement[i] = size[i] - t[i];
    }
    u = (v - placement - off) / t;
    if ((flags & 4) != 0) u.x = 1.0 - u.x;
    if ((flags & 8) != 0) u.y = 1.0 - u.y;
    tc = whole ? u : (vec2(section_pos) + vec2(section_size) * u) / texSize;
    gl_Position = mvp * vec4(pos + v, 0.0, 1.0);
}
)";

const char* const kImageFragment = R"(#version 330 core
uniform sampler2D stex;
uniform int flags = 0;
uniform vec4 color = vec4(1.0, 1.0, 1.0, 1.0);
uniform vec4 bg_color = vec4(0.0, 0.0, 0.0, 0.0);
in vec2 u;
in vec2 tc;
out vec4 out_color;
void main() {
    if (u.x < 0.0 || u.x >= 1.0 || u.y < 0.0 || u.y >= 1.0) {
        out_color = bg_color;
        return;
    }
    vec4 texel;
    if ((flags & 16) != 0) {
        ivec2 texSize = textureSize(stex, 0);
        texel = texelFetch(stex, clamp(ivec2(tc * vec2(texSize)), ivec2(0), texSize - 1), 0);
    } else {
        texel = texture(stex, tc);
    }
    out_color = texel * color;
}
)";

const char* const kFrameVertex = R"(#version 330 core
const vec2 corners[4] = vec2[4](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0));
uniform mat4 mvp;
uniform vec2 pos = vec2(0.0, 0.0);
uniform vec2 size = vec2(0.0, 0.0);
out vec2 v;
void main() {
    vec2 corner = corners[gl_VertexID];
    v = corner * size;
    gl_Position = mvp * vec4(pos + v, 0.0, 1.0);
}
)";

// Per axis with target size N and band size S: t < S copies the leading
// band, t >= N - S the trailing band at offset 2D, anything between repeats
// the middle band at offset D.
const char* const kFrameFragment = R"(#version 330 core
uniform sampler2D stex;
uniform vec2 size = vec2(0.0, 0.0);
uniform vec4 color = vec4(1.0, 1.0, 1.0, 1.0);
uniform ivec2 section_pos = ivec2(0, 0);
uniform ivec2 section_size = ivec2(0, 0);
uniform ivec2 section_sep = ivec2(0, 0);
in vec2 v;
out vec4 out_color;
void main() {
    ivec2 t = ivec2(floor(v));
    ivec2 n = ivec2(size);
    ivec2 s;
    for (int i = 0; i < 2; ++i) {
        int band = max(section_size[i], 1);
        if (t[i] < band) s[i] = t[i];
        else if (t[i] >= n[i] - band) s[i] = 2 * section_sep[i] + t[i] - n[i] + band;
        else s[i] = section_sep[i] + t[i] % band;
    }
    ivec2 texSize = textureSize(stex, 0);
    out_color = texelFetch(stex, clamp(section_pos + s, ivec2(0), texSize - 1), 0) * color;
}
)";

}  // namespace koui::res::programs
