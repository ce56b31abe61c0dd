// The application that the end-to-end tests drive through the X server,
// written on the application layer as any program of the toolkit is. It
// reports on standard output, one line each, what the tests look for:
//
//   drawn <window>               the window has drawn three frames
//   probe <elem> r g b           the pixel at the element's centre (for the
//                                root, at 5,5) of the first window, each
//                                time it changes
//   click <elem>                 the element's click callback ran
//   msg <id>                     "panel" received a message (its button's
//                                press, release and click)
//   menu open | menu <item>      a right click on "menuarea" opened a quick
//                                menu; the menu reported a selection
//   key <code>                   a key reached the root's key callback
//                                (printed by work it posts to the main thread)
//   posted <window>              work posted to the window's GL thread ran
//   plot <x> <y> <sx> <sy>       with --plot: the plot point under the
//                                pointer and the scales, each time they change
//   exit <code>                  run() returned
//   log <line>                   a line of the library's diagnostics
//
// Elements, styled from the resource folder given with --res: the root
// "app", "outer" with "inner" inside it, "swatch", "panel" with a button
// inside it, the container "list" with two rows and "menuarea"; the first
// three have click callbacks, the button its own. With `--plot 1` the window
// shows a plot view instead. `--windows N` opens N windows, "e2e", "e2e-2",
// and so on, each building its own tree.
#include <GL/glew.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "koui/family/appmsg.h"
#include "koui/host/log_sink.h"
#include "koui/koui.h"

namespace {

std::mutex outLock;

void out(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void out(const char* fmt, ...) {
    std::lock_guard guard(outLock);
    va_list args;
    va_start(args, fmt);
    std::vprintf(fmt, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Drawn last in its window: reads the drawn (not yet swapped) frame under
// each element it watches, and counts frames.
class Probe : public koui::Div {
public:
    Probe(std::string window, std::vector<koui::Div*> watched, bool report)
        : window_(std::move(window)), watched_(std::move(watched)), report_(report) {}
    void OnDraw(koui::e_draw* e) override {
        if (++frames_ == 3) out("drawn %s", window_.c_str());
        if (frames_ < 3) dGetCanvas()->requestFrame();  // the windows draw on demand
        if (!report_) return;
        for (koui::Div* d : watched_) {
            float o[2] = {5, 5};
            if (d != watched_[0]) d->DivToCanvas(o, d->dGetCXf() / 2, d->dGetCYf() / 2);
            unsigned char px[4] = {0, 0, 0, 0};
            glReadBuffer(GL_BACK);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(int(o[0]), e->viewport[3] - 1 - int(o[1]), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
            const std::array<int, 3> colour{px[0], px[1], px[2]};
            if (reported_.contains(d) && reported_[d] == colour) continue;
            reported_[d] = colour;
            out("probe %s %d %d %d", d->name.c_str(), px[0], px[1], px[2]);
        }
    }

private:
    std::string window_;
    std::vector<koui::Div*> watched_;
    bool report_;
    int frames_ = 0;
    std::map<koui::Div*, std::array<int, 3>> reported_;
};

// Reports the messages its children send it.
class Panel : public koui::Div {
public:
    bool OnMsg(koui::e_msg* m) override {
        out("msg %u", m->id);
        return true;
    }
};

// Opens a quick menu where it is right-clicked.
class MenuArea : public koui::Div {
public:
    bool OnMTEvent(koui::e_mtevent* e) override {
        if (e->type != koui::MT_RDOWN) return false;
        koui::QuickMenu::wCreate("menu", this, e->pos, 100, "e2e.menu", "a,Alpha,\nb,Beta,\n")
            ->setSelectCB([](const std::string& item) { out("menu %s", item.c_str()); });
        out("menu open");
        return true;
    }
};

void build(koui::Div& root, const std::string& window, bool report) {
    root.dSetName("app");
    koui::Div& outer = koui::add(root, "outer", "e2e.outer");
    koui::Div& inner = koui::add(outer, "inner", "e2e.inner");
    koui::Div& swatch = koui::add(root, "swatch", "e2e.swatch");
    for (koui::Div* d : {&outer, &inner, &swatch})
        koui::onClick(*d, [d] { out("click %s", d->name.c_str()); });
    koui::add<koui::Button>(koui::add<Panel>(root, "panel", "e2e.panel"), "button", "e2e.button")
        .setClickCB([] { out("click button"); });
    auto& list = koui::add<koui::Container>(root, "list", "e2e.list");
    list.dSetOpt(koui::DIV_CLIP);
    for (const char* row : {"row1", "row2"}) koui::add(list, row, std::string("e2e.") + row);
    koui::add<MenuArea>(root, "menuarea", "e2e.menuarea");
    koui::add<Probe>(root, "probe", "e2e.probe", window,
                     std::vector<koui::Div*>{&root, &outer, &inner, &swatch, &list}, report);
}

void buildPlot(koui::Div& root) {
    auto& view = koui::add<koui::pz::View>(root, "view", "e2e.view");
    view.setPostDrawCB([last = std::string(), frames = 0](const koui::pz::e_drawinfo& info) mutable {
        if (++frames == 3) out("drawn e2e");
        if (frames < 3) info.view->dGetCanvas()->requestFrame();
        const koui::pz::Canvas* c = info.view->getCanvas();
        char line[96];
        std::snprintf(line, sizeof line, "plot %.4f %.4f %.4f %.4f", c->getHoverPos().x, c->getHoverPos().y,
                      c->getPixSize(), c->getYPixSize());
        if (line != last) out("%s", (last = line).c_str());
    });
}

}  // namespace

int main(int argc, char** argv) {
    ko::log::appSetMsgSink([](const char* line, void*) { out("log %s", line); }, nullptr);
    ko::log::setCallback([](const char* line) { out("log %s", line); });

    koui::App app("e2e", argc, argv, {"--windows", "--plot"});
    const bool plot = app.option("--plot").has_value();
    const int count = std::atoi(app.option("--windows").value_or("1").c_str());
    for (int i = 0; i < count; ++i) {
        const std::string name = i == 0 ? "e2e" : "e2e-" + std::to_string(i + 1);
        koui::WindowConfig config(name, 400, 300, "e2e.app");
        config.drawOnDemand = true;
        koui::AppWindow* w = app.open(config, [name, i, plot](koui::Div& root) {
            if (plot)
                buildPlot(root);
            else
                build(root, name, i == 0);
        });
        if (!w) continue;
        w->post([name] { out("posted %s", name.c_str()); });
        w->onKey([&app](const koui::KeyPress& k) {
            app.post([k] { out("key %d", k.key); });  // printed by the main thread
            return true;
        });
    }
    const int code = app.run();
    out("exit %d", code);
    return code;
}
