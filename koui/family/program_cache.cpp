#include "koui/family/program_cache.h"

#include <GL/glew.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <system_error>
#include <vector>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace ko::glsl::program_cache {
namespace {

namespace fs = std::filesystem;

// Bumped whenever the layout of Header changes.
constexpr char kMagic[8] = {'k', 'o', 'u', 'i', 'p', 'r', 'g', '1'};

struct Header {
    char magic[8];
    uint32_t format;  // the driver's binary format
    uint32_t unused;
    uint64_t driver;    // hash of the driver's strings
    uint64_t texts;     // a second hash of the texts: two programs whose names clash differ here
    uint64_t size;      // bytes of binary after the header
    uint64_t checksum;  // hash of those bytes
};

constexpr uint64_t kFnvBasis = 14695981039346656037ull;
constexpr uint64_t kOtherBasis = 0x9e3779b97f4a7c15ull;

uint64_t fnv(std::string_view bytes, uint64_t h = kFnvBasis) {
    for (const unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Each text ends with its length, so that moving bytes from one text to the
// next changes the hash.
uint64_t hashTexts(std::initializer_list<std::string_view> texts, uint64_t h = kFnvBasis) {
    for (const std::string_view t : texts) {
        h = fnv(t, h);
        const uint64_t n = t.size();
        h = fnv(std::string_view(reinterpret_cast<const char*>(&n), sizeof n), h);
    }
    return h;
}

std::string_view glText(GLenum name) {
    const auto* s = reinterpret_cast<const char*>(glGetString(name));
    return s ? s : "";
}

fs::path folder() {
    if (const char* set = std::getenv("KOUI_PROGRAM_CACHE"); set && *set) return set;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg)
        return fs::path(xdg) / "ko-ui" / "programs";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache" / "ko-ui" / "programs";
    return {};
}

bool formatSupported(GLint format) {
    GLint count = 0;
    glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &count);
    std::vector<GLint> formats(static_cast<size_t>(count > 0 ? count : 0));
    if (count > 0) glGetIntegerv(GL_PROGRAM_BINARY_FORMATS, formats.data());
    for (const GLint f : formats)
        if (f == format) return true;
    return false;
}

void refuse(const Entry& entry, const char* why) {
    appmsg("[WARN] glsl program cache: %s %s; compiling the program", entry.path.c_str(), why);
}

// Reads the whole file; false when there is none.
bool readFile(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[1 << 14];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    std::fclose(f);
    return true;
}

}  // namespace

std::optional<Entry> entryFor(const char* vertexText, const char* fragmentText) {
    if (const char* set = std::getenv("KOUI_PROGRAM_CACHE"); set && std::strcmp(set, "0") == 0)
        return std::nullopt;
    if (!glProgramBinary || !glGetProgramBinary || !glProgramParameteri) return std::nullopt;
    GLint formats = 0;
    glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &formats);
    const fs::path dir = folder();
    if (formats <= 0 || dir.empty()) return std::nullopt;
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.bin",
                  static_cast<unsigned long long>(hashTexts({vertexText, fragmentText})));
    return Entry{(dir / name).string(),
                 hashTexts({glText(GL_VENDOR), glText(GL_RENDERER), glText(GL_VERSION)}),
                 hashTexts({vertexText, fragmentText}, kOtherBasis)};
}

unsigned load(const Entry& entry) {
    std::string bytes;
    if (!readFile(entry.path, bytes)) return 0;  // not cached yet
    Header h{};
    if (bytes.size() < sizeof h) return refuse(entry, "is truncated"), 0;
    std::memcpy(&h, bytes.data(), sizeof h);
    const std::string_view binary = std::string_view(bytes).substr(sizeof h);
    if (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0)
        return refuse(entry, "is not a program cache file"), 0;
    if (h.driver != entry.driver) return refuse(entry, "was made by another driver"), 0;
    if (h.texts != entry.texts) return refuse(entry, "holds another program"), 0;
    if (h.size != binary.size()) return refuse(entry, "is truncated"), 0;
    if (h.checksum != fnv(binary)) return refuse(entry, "is damaged"), 0;
    if (!formatSupported(static_cast<GLint>(h.format)))
        return refuse(entry, "has a format the driver lacks"), 0;
    const GLuint program = glCreateProgram();
    glProgramBinary(program, h.format, binary.data(), static_cast<GLsizei>(binary.size()));
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok) return program;
    glDeleteProgram(program);
    return refuse(entry, "was refused by the driver"), 0;
}

void store(const Entry& entry, unsigned program) {
    GLint length = 0;
    glGetProgramiv(program, GL_PROGRAM_BINARY_LENGTH, &length);
    if (length <= 0) return;
    std::string bytes(sizeof(Header) + static_cast<size_t>(length), '\0');
    GLenum format = 0;
    GLsizei written = 0;
    glGetProgramBinary(program, length, &written, &format, bytes.data() + sizeof(Header));
    if (written <= 0) return;
    bytes.resize(sizeof(Header) + static_cast<size_t>(written));
    Header h{};
    std::memcpy(h.magic, kMagic, sizeof kMagic);
    h.format = format;
    h.driver = entry.driver;
    h.texts = entry.texts;
    h.size = static_cast<uint64_t>(written);
    h.checksum = fnv(std::string_view(bytes).substr(sizeof h));
    std::memcpy(bytes.data(), &h, sizeof h);

    // Written whole under a name no other writer uses (process id and a
    // counter), then renamed over the entry: readers, here or in another
    // process, see the old file or the new one, never a part.
    static std::atomic<unsigned> serial{0};
    const fs::path path(entry.path);
    const std::string temp = entry.path + ".tmp" + std::to_string(getpid()) + "." + std::to_string(serial++);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    FILE* f = ec ? nullptr : std::fopen(temp.c_str(), "wb");
    if (!ec && !f) ec.assign(errno, std::generic_category());
    if (f) {
        const bool complete = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if ((std::fclose(f) != 0 || !complete) && !ec)
            ec.assign(errno ? errno : EIO, std::generic_category());
        if (!ec) fs::rename(temp, path, ec);
        if (ec) std::remove(temp.c_str());
    }
    static std::atomic<bool> warned{false};
    if (ec && !warned.exchange(true))
        appmsg("[WARN] glsl program cache: cannot write %s: %s; programs are compiled at each start",
               path.parent_path().c_str(), ec.message().c_str());
}

}  // namespace ko::glsl::program_cache
