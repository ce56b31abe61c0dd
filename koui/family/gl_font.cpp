#include "koui/family/gl_font.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "koui/family/appmsg.h"
#include "koui/family/context_objects.h"
#include "koui/family/glsl_program.h"
#include "koui/family/glyph_vector.h"

using namespace ko::log;

namespace ko::gl {

std::atomic<uint64_t> Font::drawCalls_{0};

namespace {

// One instance per glyph: its quad (x, y, w, h) in the caller's space and its
// bitmap (x, y, w, h) in atlas texels; the four corners come from the vertex
// index, so no per-vertex data exists.
constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 rect;
layout(location = 1) in vec4 tex;
uniform mat4 mvp;
out vec2 uv;
out vec2 local;
void main() {
    vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    local = rect.xy + corner * rect.zw;
    uv = tex.xy + corner * tex.zw;
    gl_Position = mvp * vec4(local, 0.0, 1.0);
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
uniform sampler2D atlas;
uniform vec4 color;
uniform vec4 clip;
uniform float contrast = 1.0;
in vec2 uv;
in vec2 local;
out vec4 out_color;
void main() {
    if (local.x < clip.x || local.y < clip.y || local.x >= clip.z || local.y >= clip.w) discard;
    float coverage = texture(atlas, uv / vec2(textureSize(atlas, 0))).r;
    if (contrast != 1.0)
        coverage = pow(coverage, mix(1.0, 1.0 / contrast, dot(color.rgb, vec3(0.2126, 0.7152, 0.0722))));
    out_color = vec4(color.rgb, color.a * coverage);
}
)";

constexpr int kFloatsPerGlyph = 8;
constexpr float kNoClip = 1e9f;

__attribute__((format(printf, 1, 0))) std::string vformat(const char* format, va_list args) {
    if (!format) return {};
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(n));
    return text;
}

// Layout scratch of write(): one per thread, so writing allocates only while
// the longest text seen so far grows.
FontGlyphVector& scratchLayout() {
    thread_local FontGlyphVector layout;
    return layout;
}

// The instances go to GL as client-side arrays of the default vertex array
// object (the context is a compatibility one): the driver copies them into
// its own streaming buffer, so no buffer object of ours is refilled while a
// queued draw may still read it, and the font owns no vertex array object,
// which a second window's context could not use. The attributes are switched
// off again so that later draws with the default object see its usual state.
void drawClientInstances(const float* instances, GLsizei count) {
    const GLsizei stride = kFloatsPerGlyph * sizeof(float);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    for (GLuint attrib = 0; attrib < 2; ++attrib) {
        glEnableVertexAttribArray(attrib);
        glVertexAttribPointer(attrib, 4, GL_FLOAT, GL_FALSE, stride, instances + size_t{4} * attrib);
        glVertexAttribDivisor(attrib, 1);
    }
    glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, count);
    for (GLuint attrib = 0; attrib < 2; ++attrib) {
        glVertexAttribDivisor(attrib, 0);
        glDisableVertexAttribArray(attrib);
    }
}

}  // namespace

std::unique_ptr<Font> Font::fromBytes(std::vector<uint8_t> bytes, int pixelSize, const std::string& name) {
    return fromBytes(std::make_shared<const std::vector<uint8_t>>(std::move(bytes)), pixelSize, name);
}

std::unique_ptr<Font> Font::fromBytes(FontBytes bytes, int pixelSize, const std::string& name,
                                      const FontRendering& rendering) {
    auto face = FontFace::create(std::move(bytes), pixelSize, name, rendering);
    if (!face) return nullptr;
    return std::unique_ptr<Font>(new Font(std::move(face), name));
}

Font::Font(std::unique_ptr<FontFace> face, std::string name)
    : face_(std::move(face)), name_(std::move(name)) {}

Font::~Font() {
    releaseGL();
}

Font* Font::withRendering(const FontRendering& rendering) {
    FontRendering wanted = rendering;
    wanted.subpixel = std::clamp(wanted.subpixel, 1, FontRendering::kMaxSubpixel);
    if (wanted == face_->rendering()) return this;
    std::lock_guard guard(lock_);
    for (const auto& v : variants_)
        if (v->face().rendering() == wanted) return v.get();
    std::unique_ptr<Font> made = fromBytes(face_->bytes(), face_->pixelSize(), name_, wanted);
    if (!made) return this;
    variants_.push_back(std::move(made));
    return variants_.back().get();
}

void Font::releaseGL() {
    std::lock_guard guard(lock_);
    atlas_.releaseGL();
    for (const auto& v : variants_) v->releaseGL();
}

// Code points beyond 256 share the slot of their glyph, so the many code
// points a font lacks take one replacement glyph in the atlas, not one each.
const Font::Slot* Font::ensureGlyph(uint32_t code, int phase) {
    const uint64_t key = uint64_t{face_->metrics(code).glyphIndex} * FontRendering::kMaxSubpixel +
                         static_cast<uint64_t>(phase);
    Slot& slot = code < 256 ? slots_[code][phase] : glyphSlots_[key];
    if (slot.state) return slot.state == 1 ? &slot : nullptr;
    slot.state = 2;
    GlyphBitmap bitmap;
    if (!face_->render(code, bitmap, phase)) return nullptr;
    if (!atlas_.add(bitmap.pixels, bitmap.width, bitmap.height, bitmap.pitch, slot.rect)) {
        appmsg("[ERROR] Font (%s): glyph of U+%04X does not fit in the atlas", name_.c_str(), code);
        return nullptr;
    }
    slot.left = bitmap.left;
    slot.top = bitmap.top;
    slot.state = 1;
    return &slot;
}

glsl::Program* Font::textProgram() {
    // One text program per context, shared by every font drawn there.
    static const ProgramText text{kVertexShader, kFragmentShader};
    glsl::Program* program = contextProgram(text);
    if (!program && !programFailed_) {
        appmsg("[ERROR] Font (%s): cannot draw, the text program did not build", name_.c_str());
        programFailed_ = true;
    }
    return program;
}

int Font::drawDGlyphs(const FontGlyphVector& glyphs, const float* mvp, const float* rgba, float x, float y,
                      float clipX, float clipY, float clipW, float clipH) {
    if (!mvp || glyphs.empty() || clipW <= 0 || clipH <= 0) return 0;
    std::lock_guard guard(lock_);
    const float sx = glyphs.scaleX();
    const float sy = glyphs.scaleY();
    const int phases = face_->rendering().subpixel;
    instances_.clear();
    for (const FontGlyph& g : glyphs) {
        // Whole-pixel pen positions keep unscaled glyphs texel-exact; with
        // sub-pixel positions the rest of the pen's pixel picks the glyph
        // image rasterised that much to the right.
        float px = std::floor(x + g.x + 0.5f);
        int phase = 0;
        if (phases > 1) {
            const float pen = std::floor((x + g.x) * static_cast<float>(phases) + 0.5f);
            px = std::floor(pen / static_cast<float>(phases));
            phase = static_cast<int>(pen - px * static_cast<float>(phases));
        }
        const Slot* slot = ensureGlyph(g.code, phase);
        if (!slot) continue;
        const Slot& s = *slot;
        const float py = std::floor(y + g.y + 0.5f);
        const float quad[kFloatsPerGlyph] = {px + s.left * sx,
                                             py + s.top * sy,
                                             s.rect.width * sx,
                                             s.rect.height * sy,
                                             static_cast<float>(s.rect.x),
                                             static_cast<float>(s.rect.y),
                                             static_cast<float>(s.rect.width),
                                             static_cast<float>(s.rect.height)};
        instances_.insert(instances_.end(), quad, quad + kFloatsPerGlyph);
    }
    const auto count = static_cast<GLsizei>(instances_.size() / kFloatsPerGlyph);
    glsl::Program* program = count ? textProgram() : nullptr;
    if (!program) return 0;

    static const float kWhite[4] = {1, 1, 1, 1};
    const float clip[4] = {clipX, clipY, clipX + clipW, clipY + clipH};
    glActiveTexture(GL_TEXTURE0);
    atlas_.upload();  // leaves the atlas bound to unit 0
    if (!program->Use()) return 0;
    program->setUniform1i("atlas", 0);
    program->setUniformMat4fv("mvp", mvp, 1, false);
    program->setUniform4fv("color", rgba ? rgba : kWhite, 1);
    program->setUniform4fv("clip", clip, 1);
    program->setUniform1f("contrast", face_->rendering().contrast);
    drawClientInstances(instances_.data(), count);
    drawCalls_.fetch_add(1, std::memory_order_relaxed);
    glBindTexture(GL_TEXTURE_2D, 0);
    program->UnUse();
    return count;
}

void Font::writeAligned(const float* mvp, const float* rgba, float x, float y, int alignH, int alignV,
                        std::string_view text) {
    FontGlyphVector& layout = scratchLayout();
    if (!layoutForWrite(layout, text)) return;
    float width = 0;
    for (const FontGlyph& g : layout) width = std::max(width, g.x + g.advance);
    const float ascent = static_cast<float>(face_->ascender());
    const float bottom = layout.glyphs().back().y + static_cast<float>(face_->descender());
    float originX = x;
    if (alignH == kAlignCenter) originX = x - width * 0.5f;
    if (alignH == kAlignEnd) originX = x - width;
    float originY = y + ascent;
    if (alignV == kAlignCenter) originY = y - (bottom - ascent) * 0.5f;
    if (alignV == kAlignEnd) originY = y - bottom;
    drawDGlyphs(layout, mvp, rgba, originX, originY, -kNoClip, -kNoClip, 2 * kNoClip, 2 * kNoClip);
}

bool Font::layoutForWrite(FontGlyphVector& out, std::string_view text) const {
    return out.Process(this, FontGlyphVector::kUnbounded, FontGlyphVector::kUnbounded, 0, 0, 1, 1,
                       FontGlyphVector::kLeft, text);
}

void Font::writeLaidOut(const FontGlyphVector& layout, const float* mvp, const float* rgba, float x,
                        float y) {
    if (layout.empty()) return;
    drawDGlyphs(layout, mvp, rgba, x, y + static_cast<float>(face_->ascender()), -kNoClip, -kNoClip,
                2 * kNoClip, 2 * kNoClip);
}

void Font::write(const float* mvp, const float* rgba, float x, float y, const std::string& text) {
    writeAligned(mvp, rgba, x, y, kAlignStart, kAlignStart, text);
}

void Font::writeFormat(const float* mvp, const float* rgba, float x, float y, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = vformat(format, args);
    va_end(args);
    writeAligned(mvp, rgba, x, y, kAlignStart, kAlignStart, text);
}

void Font::writeFormat(const float* mvp, const float* rgba, float x, float y, int alignH, int alignV,
                       int /*reserved*/, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = vformat(format, args);
    va_end(args);
    writeAligned(mvp, rgba, x, y, alignH, alignV, text);
}

}  // namespace ko::gl
