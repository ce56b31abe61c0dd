// gallery: every element of the toolkit, one page per group, in one of two
// bundled themes (themes/dark and themes/light beside the program).
//
// Keys: 1..9 or PageUp/PageDown change the page (so does the tab row), T
// switches the theme (the window is opened again on the other theme's
// folder, with the same page and state), Escape ends. Each page has
// something to play with: the button counts clicks, the number field takes
// only numbers and doubles them, the fader moves the progress bars, a right
// click on the menu page opens a quick menu whose pick shows in a label.
// The state goes to standard output as it changes (gallery.h), and "theme
// light" when T is pressed.
//
//   gallery [--page NAME] [--theme dark|light] plus every program's options
//
// `--res DIR` shows the pages in any theme (T then does nothing). Saving the
// theme's res.kor while the gallery runs changes the window at once.
#include <cstdio>
#include <memory>
#include <string>

#include "gallery.h"
#include "koui/koui.h"

namespace {

using gallery::say;

// One window of the gallery on `theme` (empty: the --res folder), starting
// from `start`. T opens the other theme's window and closes this one.
koui::AppWindow* openGallery(koui::App& app, const std::string& theme, const gallery::State& start) {
    auto state = std::make_shared<gallery::State>(start);
    auto pages = std::make_shared<std::unique_ptr<gallery::Pages>>();
    koui::WindowConfig config{"gallery", 640, 400, "gallery.app"};
    if (!theme.empty()) config.resources = "themes/" + theme;
    config.drawOnDemand = true;  // an unchanged page costs nothing
    koui::AppWindow* w =
        app.open(config, [state, pages](koui::Div& root) { *pages = gallery::build(root, *state); });
    if (!w) return nullptr;
    w->onKey([&app, w, theme, state, pages](const koui::KeyPress& k) {
        if (!*pages) return false;
        if ((*pages)->pageKey(k)) return true;
        if (k.key == 'T' && !theme.empty()) {
            const std::string other = theme == "dark" ? "light" : "dark";
            const gallery::State now = *state;
            say("theme", other);
            app.post([&app, w, other, now] {
                if (openGallery(app, other, now)) w->close();
            });
            return true;
        }
        return false;
    });
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    koui::App app("gallery", argc, argv, {"--page", "--theme"});
    gallery::State state;
    const std::string page = app.option("--page").value_or(gallery::pageName(0));
    const std::string theme = app.option("--theme").value_or("dark");
    state.page = gallery::pageIndex(page);
    if (state.page < 0 || (theme != "dark" && theme != "light")) {
        std::string names;
        for (int i = 0; i < gallery::kPageCount; ++i)
            names += std::string(i ? ", " : "") + gallery::pageName(i);
        std::fprintf(stderr, "gallery: --page takes one of %s; --theme dark or light\n", names.c_str());
        return 2;
    }
    // With --res the window shows that folder only, and T switches nothing.
    if (!app.options().resources.empty()) state.keysHint = gallery::kPageKeysHint;
    openGallery(app, app.options().resources.empty() ? theme : std::string(), state);
    return app.run();
}
