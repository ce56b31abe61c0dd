// ko::glsl::Program: a linked GLSL program made from vertex and fragment
// source text, with uniform setters that look each name up once.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "koui/export.h"

namespace ko::glsl {

class KOUI_API Program {
public:
    // Compiles both stages and links them. Returns a new program (owned by the
    // caller) or null; on failure every line of the compiler's or linker's
    // log goes out through appmsg, prefixed with the stage that failed.
    static Program* CreateFromVertFragText(const char* vertexText, const char* fragmentText);

    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Makes the program current. With `validate` the program is also checked
    // against the current GL state first (glValidateProgram), which logs and
    // fails when, say, two samplers of different types share a unit.
    // Returns false when the program cannot be used; callers skip drawing.
    bool Use(bool validate = false);
    // Makes no program current.
    void UnUse();

    // Uniform setters. They set the value in this program whether or not it
    // is current. A name the program lacks (or that the linker dropped
    // because it is unused) is ignored. Array forms take `count` elements.
    void setUniform1i(const char* name, int v);
    void setUniform1f(const char* name, float v);
    void setUniform2f(const char* name, float x, float y);
    void setUniform2i(const char* name, int x, int y);
    void setUniform2iv(const char* name, const int* v, int count);
    void setUniform4fv(const char* name, const float* v, int count);
    void setUniformMat4fv(const char* name, const float* v, int count, bool transpose);

    // The location of a uniform, -1 when the program lacks it. Looked up in
    // GL once per name; later calls read the cache.
    int uniformLocation(const char* name);
    // The same, remembered under the caller's `slot`, a small index the
    // caller gives each name it sets often: after the first call a slot is
    // an array read, with no name hashed. A slot must always come with the
    // same name.
    int uniformLocation(unsigned slot, const char* name);
    unsigned id() const { return id_; }
    // Forgets the GL program without deleting it, for an owner whose context
    // is gone (the driver frees the program with the context's share group).
    // The program is unusable afterwards.
    void abandonGL() { id_ = 0; }

private:
    explicit Program(unsigned id) : id_(id) {}

    // Lets the cache be searched with a const char* without building a string.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };

    unsigned id_ = 0;
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> locations_;
    std::vector<int> slots_;  // by slot; kUnknownSlot until looked up
    static constexpr int kUnknownSlot = -2;
};

}  // namespace ko::glsl
