#include "koui/platform/clipboard.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "koui/platform/detail/state.h"

namespace koui::win32 {

using namespace koui::platform::detail;

BOOL SetClipboardText(const char* utf8) {
    auto put = [text = std::string(utf8 ? utf8 : "")] { glfwSetClipboardString(nullptr, text.c_str()); };
    // A window thread exists only once GLFW is up.
    if (postToWindowThread(put)) return 1;
    if (!ensureGlfw()) return 0;
    put();
    return 1;
}

BOOL GetClipboardText(std::string& out, DWORD timeoutMs) {
    out.clear();
    bool found = false;
    std::string text;
    const bool ran = runOnWindowThread(
        [&] {
            if (!ensureGlfw()) return;
            // An empty clipboard, or one without text, is an answer, not a
            // failure of the window system.
            QuietFormatErrors quiet;
            const char* s = glfwGetClipboardString(nullptr);
            found = s != nullptr;
            if (s) text = s;
        },
        timeoutMs);
    if (!ran || !found) return 0;
    out = std::move(text);
    return 1;
}

}  // namespace koui::win32
