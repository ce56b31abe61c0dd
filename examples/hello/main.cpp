// hello: the smallest complete application of the toolkit.
//
// One window whose look comes entirely from resdata/res.kor beside the
// program: the root element's style "hello.app" draws the background and
// title and places the panels by name; each panel only names its style.
// Clicking the close panel ends the program, as do Escape and the window's
// close box. Edit the theme while it runs and the window follows.
#include "koui/koui.h"

int main(int argc, char** argv) {
    koui::App app("hello", argc, argv);
    koui::WindowConfig config("hello", 760, 372, "hello.app");
    config.drawOnDemand = true;  // an unchanged window costs nothing
    app.open(config, [&app](koui::Div& root) {
        for (const char* panel : {"info", "gallery", "tip"})
            koui::add(root, panel, std::string("hello.") + panel);
        koui::onClick(koui::add(root, "close", "hello.close"), [&app] { app.quit(); });
    });
    return app.run();
}
