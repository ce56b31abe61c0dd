#include "koui/pz/series.h"

#include <GL/glew.h>

#include <algorithm>

#include "koui/family/context_objects.h"
#include "koui/family/glsl_program.h"
#include "koui/pz/canvas.h"

namespace koui::pz {

namespace {

const ko::gl::ProgramText kSeriesProgram{
    R"(#version 330 core
layout(location = 0) in vec2 p;
uniform mat4 mvp;
uniform float point_size;
void main() {
    gl_Position = mvp * vec4(p, 0.0, 1.0);
    gl_PointSize = point_size;
})",
    R"(#version 330 core
uniform vec4 color;
out vec4 out_color;
void main() { out_color = color; })"};

// Two corners become two triangles.
void appendRect(std::vector<glm::vec2>& out, glm::vec2 a, glm::vec2 b) {
    const glm::vec2 c[6] = {a, {b.x, a.y}, b, a, b, {a.x, b.y}};
    out.insert(out.end(), c, c + 6);
}

GLenum primitive(Series::Kind k) {
    return k == Series::kLine ? GL_LINE_STRIP : k == Series::kScatter ? GL_POINTS : GL_TRIANGLES;
}

}  // namespace

Series::Series(Kind k, std::string key, std::vector<glm::vec2> pts)
    : kind(k), colorKey(std::move(key)), points(std::move(pts)) {}

Series::~Series() {
    if (buffer) glDeleteBuffers(1, &buffer);
}

void Series::setPoints(std::vector<glm::vec2> pts) {
    points = std::move(pts);
    dirty = true;
}

bool Series::bounds(glm::vec2& lo, glm::vec2& hi) const {
    if (points.empty()) return false;
    lo = hi = points[0];
    for (const glm::vec2& p : points) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    return true;
}

void Series::upload() {
    if (!buffer) glGenBuffers(1, &buffer);
    const std::vector<glm::vec2>* data = &points;
    std::vector<glm::vec2> rects;
    if (kind == kRects) {
        for (size_t i = 0; i + 1 < points.size(); i += 2) appendRect(rects, points[i], points[i + 1]);
        data = &rects;
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(data->size() * sizeof(glm::vec2)), data->data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    vertexCount = static_cast<int>(data->size());
    dirty = false;
}

void Series::draw(Canvas& canvas) {
    if (!visible) return;
    if (dirty) upload();
    ko::glsl::Program* prog = ko::gl::contextProgram(kSeriesProgram);
    if (!vertexCount || !prog || !prog->Use(false)) return;
    prog->setUniformMat4fv("mvp", canvas.getMVP(), 1, false);
    prog->setUniform4fv("color", canvas.color(canvas.stylePath + "." + colorKey), 1);
    prog->setUniform1f("point_size", pointSize);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glBindVertexArray(ko::gl::contextVertexArray());
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(glm::vec2), nullptr);
    glDrawArrays(primitive(kind), 0, vertexCount);
    // The context's vertex array must stay empty for the programs that draw
    // without buffers.
    glDisableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glDisable(GL_PROGRAM_POINT_SIZE);
    prog->UnUse();
}

}  // namespace koui::pz
