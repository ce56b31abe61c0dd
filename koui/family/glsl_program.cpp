#include "koui/family/glsl_program.h"

#include <GL/glew.h>

#include <string>

#include "koui/family/appmsg.h"
#include "koui/family/program_cache.h"

using namespace ko::log;

namespace ko::glsl {
namespace {

// Sends a GL info log out one line per appmsg call.
void logLines(const char* what, const std::string& log) {
    size_t start = 0;
    bool any = false;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        if (end > start) {
            appmsg("[ERROR] glsl %s: %.*s", what, static_cast<int>(end - start), log.data() + start);
            any = true;
        }
        start = end + 1;
    }
    if (!any) appmsg("[ERROR] glsl %s: failed without a log", what);
}

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(length > 0 ? length : 0, '\0');
    if (length > 0) glGetShaderInfoLog(shader, length, nullptr, log.data());
    while (!log.empty() && log.back() == '\0') log.pop_back();
    return log;
}

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(length > 0 ? length : 0, '\0');
    if (length > 0) glGetProgramInfoLog(program, length, nullptr, log.data());
    while (!log.empty() && log.back() == '\0') log.pop_back();
    return log;
}

GLuint compile(GLenum stage, const char* text, const char* what) {
    const GLuint shader = glCreateShader(stage);
    if (!shader) {
        appmsg("[ERROR] glsl %s: cannot create a shader (no GL context?)", what);
        return 0;
    }
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    logLines(what, shaderLog(shader));
    glDeleteShader(shader);
    return 0;
}

// glProgramUniform* (OpenGL 4.1) writes into a program that is not current;
// older contexts fall back to binding it for the call.
class ProgramScope {
public:
    explicit ProgramScope(GLuint id) : direct_(glProgramUniform1i != nullptr) {
        if (direct_) return;
        glGetIntegerv(GL_CURRENT_PROGRAM, &previous_);
        glUseProgram(id);
    }
    ~ProgramScope() {
        if (!direct_) glUseProgram(previous_);
    }
    bool direct() const { return direct_; }

private:
    bool direct_;
    GLint previous_ = 0;
};

}  // namespace

Program* Program::CreateFromVertFragText(const char* vertexText, const char* fragmentText) {
    if (!vertexText || !fragmentText) {
        appmsg("[ERROR] glsl: missing shader text");
        return nullptr;
    }
    const auto cached = program_cache::entryFor(vertexText, fragmentText);
    if (cached)
        if (const GLuint id = program_cache::load(*cached)) return new Program(id);
    const GLuint vs = compile(GL_VERTEX_SHADER, vertexText, "vertex shader");
    if (!vs) return nullptr;
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentText, "fragment shader");
    if (!fs) {
        glDeleteShader(vs);
        return nullptr;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    if (cached) glProgramParameteri(program, GL_PROGRAM_BINARY_RETRIEVABLE_HINT, GL_TRUE);
    glLinkProgram(program);
    // The program keeps the compiled stages; the shader objects can go now.
    glDetachShader(program, vs);
    glDetachShader(program, fs);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        logLines("link", programLog(program));
        glDeleteProgram(program);
        return nullptr;
    }
    if (cached) program_cache::store(*cached, program);
    return new Program(program);
}

Program::~Program() {
    if (id_) glDeleteProgram(id_);
}

bool Program::Use(bool validate) {
    if (!id_) return false;
    if (validate) {
        glValidateProgram(id_);
        GLint ok = GL_FALSE;
        glGetProgramiv(id_, GL_VALIDATE_STATUS, &ok);
        if (!ok) {
            logLines("validate", programLog(id_));
            return false;
        }
    }
    glUseProgram(id_);
    return true;
}

void Program::UnUse() {
    glUseProgram(0);
}

int Program::uniformLocation(const char* name) {
    if (!name) return -1;
    if (const auto it = locations_.find(std::string_view(name)); it != locations_.end()) return it->second;
    const GLint location = glGetUniformLocation(id_, name);
    locations_.emplace(name, location);
    return location;
}

int Program::uniformLocation(unsigned slot, const char* name) {
    if (slot >= slots_.size()) slots_.resize(slot + 1, kUnknownSlot);
    if (slots_[slot] == kUnknownSlot) slots_[slot] = uniformLocation(name);
    return slots_[slot];
}

void Program::setUniform1i(const char* name, int v) {
    const GLint loc = uniformLocation(name);
    if (loc < 0) return;
    ProgramScope scope(id_);
    scope.direct() ? glProgramUniform1i(id_, loc, v) : glUniform1i(loc, v);
}

void Program::setUniform1f(const char* name, float v) {
    const GLint loc = uniformLocation(name);
    if (loc < 0) return;
    ProgramScope scope(id_);
    scope.direct() ? glProgramUniform1f(id_, loc, v) : glUniform1f(loc, v);
}

void Program::setUniform2f(const char* name, float x, float y) {
    const GLint loc = uniformLocation(name);
    if (loc < 0) return;
    ProgramScope scope(id_);
    scope.direct() ? glProgramUniform2f(id_, loc, x, y) : glUniform2f(loc, x, y);
}

void Program::setUniform2i(const char* name, int x, int y) {
    const GLint loc = uniformLocation(name);
    if (loc < 0) return;
    ProgramScope scope(id_);
    scope.direct() ? glProgramUniform2i(id_, loc, x, y) : glUniform2i(loc, x, y);
}

void Program::setUniform2iv(const char* name, const int* v, int count) {
    const GLint loc = uniformLocation(name);
    if (loc < 0 || !v || count < 1) return;
    ProgramScope scope(id_);
    scope.direct() ? glProgramUniform2iv(id_, loc, count, v) : glUniform2iv(loc, count, v);
}

void Program::setUniform4fv(const char* name, const float* v, int count) {
    const GLint loc = uniformLocation(name);
    if (loc < 0 || !v || count < 1) return;
    ProgramScope scope(id_);
    scope.direct() ? glProgramUniform4fv(id_, loc, count, v) : glUniform4fv(loc, count, v);
}

void Program::setUniformMat4fv(const char* name, const float* v, int count, bool transpose) {
    const GLint loc = uniformLocation(name);
    if (loc < 0 || !v || count < 1) return;
    ProgramScope scope(id_);
    const GLboolean t = transpose ? GL_TRUE : GL_FALSE;
    scope.direct() ? glProgramUniformMatrix4fv(id_, loc, count, t, v) : glUniformMatrix4fv(loc, count, t, v);
}

}  // namespace ko::glsl
