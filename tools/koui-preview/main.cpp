// koui-preview: every element of the toolkit in the theme of any resource
// folder, for a theme author at work.
//
//   koui-preview --res DIR [--page NAME] plus every program's options
//
// The window shows the gallery's pages (examples/gallery/gallery.h, styles
// "gallery.*") in DIR's theme and follows every save, as every window
// reloads its resource folder. Whenever a file in DIR changes, koui-check's
// folder check runs on it and its findings show in a strip below the pages,
// written with a font of the preview's own so that they show whatever the
// theme's fonts are. A faulty theme keeps the last good look (the resource
// instance refuses the reload) while the strip says why.
//
// Standard output, for tests: the gallery's lines (gallery.h), "check N
// errors, M warnings" after each check with the findings shown as "finding
// LINE", and "look R G B" whenever the background of the window's root
// changes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "folder_check.h"
#include "gallery.h"
#include "koui/family/appmsg.h"
#include "koui/koui.h"
#include "koui/rm/rm.h"

namespace {

namespace fs = std::filesystem;
using gallery::say;

constexpr int kLines = 3;  // findings shown; the summary is the last line

// The newest modification time and the number of files under `folder`:
// what changes when a file is saved, added or removed.
std::pair<fs::file_time_type, size_t> folderStamp(const fs::path& folder) {
    fs::file_time_type newest = fs::file_time_type::min();  // the clock's epoch may lie ahead
    size_t count = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        newest = std::max(newest, it->last_write_time(ec));
        ++count;
    }
    return {newest, count};
}

struct Findings {
    std::mutex lock;  // the sink may be called from any thread
    std::vector<std::string> lines;
};

void collect(const char* line, void* user) {
    auto* f = static_cast<Findings*>(user);
    const std::string l(line);
    if (l.starts_with("[ERROR]") || l.starts_with("[WARNING]")) {
        std::lock_guard guard(f->lock);
        f->lines.push_back(l);
    }
}

// The strip under the pages: checks the folder when it changed and shows
// what the check found; reports the root's background as it changes.
class Strip : public koui::Static {
public:
    void setUp(const std::string& folder) {
        folder_ = folder;
        koui::RM* rm = dGetInstance()->rm;
        rm->glFontList->Add("preview", KOUI_PREVIEW_FONT);
        const std::string classic =
            "#colors\nbad,#ff6b6b\ngood,#7bd88f\nplain,#c9d1db\nback,#0b0d10\n"
            "#formatfonts\n"
            "bad,font=preview,color=bad,scale=0.8\n"
            "good,font=preview,color=good,scale=0.8\n"
            "plain,font=preview,color=plain,scale=0.8\n";
        rm->CreateFromBuffer(classic.data(), static_cast<int>(classic.size()), nullptr);
        setColorSetFromRes("back");
        for (int i = 0; i < kLines + 1; ++i)
            lines_.push_back(koui::Static::wCreate("line", this, 0, 6 + 20 * i, 640, 20, nullptr, kPlain,
                                                   nullptr, nullptr));
    }

    void OnIterate(koui::e_iterate*) override {
        reportLook();
        const auto now = std::chrono::steady_clock::now();
        const bool due = now >= nextLook_;
        if (due) nextLook_ = now + std::chrono::milliseconds(250);
        // The window draws on demand: a faulty save is no reload, so nothing
        // else would wake it for the next look at the folder.
        if (koui::Canvas* c = dGetCanvas())
            c->requestFrame(std::chrono::duration<double>(nextLook_ - now).count());
        if (!due) return;
        const auto stamp = folderStamp(folder_);
        if (stamp == stamp_) return;
        stamp_ = stamp;
        check();
    }

private:
    static constexpr const char* kPlain = "plain,!align,10,0,left,vcenter";
    static constexpr const char* kBad = "bad,!align,10,0,left,vcenter";
    static constexpr const char* kGood = "good,!align,10,0,left,vcenter";

    void check() {
        Findings found;
        ko::log::AppMsgSink previous = nullptr;
        void* previousUser = nullptr;
        ko::log::appSetMsgSink(collect, &found, &previous, &previousUser);
        const koui::check::FolderReport report = koui::check::checkFolder(folder_, "res.kor", false);
        ko::log::appSetMsgSink(previous, previousUser);
        const std::vector<std::string> lines = [&] {
            std::lock_guard guard(found.lock);
            return found.lines;
        }();
        char summary[64];
        std::snprintf(summary, sizeof summary, "%d errors, %d warnings", report.errors, report.warnings);
        say("check", summary);
        // The summary first, then the first findings (errors come first).
        lines_[0]->setFontFromRes(report.errors ? kBad : kGood);
        lines_[0]->setText(std::string("koui-check: ") + summary +
                           (report.errors ? "; the window keeps the last good look" : ""));
        for (int i = 0; i < kLines; ++i) {
            const bool shown = i < static_cast<int>(lines.size());
            if (shown) say("finding", lines[i]);
            lines_[i + 1]->setFontFromRes(shown && lines[i].starts_with("[ERROR]") ? kBad : kPlain);
            lines_[i + 1]->setText(shown ? lines[i] : "");
        }
    }

    void reportLook() {
        const float* c = parent->bkColor;
        const int rgb[3] = {int(c[0] * 255 + 0.5f), int(c[1] * 255 + 0.5f), int(c[2] * 255 + 0.5f)};
        if (std::equal(rgb, rgb + 3, look_)) return;
        std::copy(rgb, rgb + 3, look_);
        say("look", std::to_string(rgb[0]) + " " + std::to_string(rgb[1]) + " " + std::to_string(rgb[2]));
    }

    std::string folder_;
    std::pair<fs::file_time_type, size_t> stamp_{};
    std::chrono::steady_clock::time_point nextLook_{};
    std::vector<koui::Static*> lines_;
    int look_[3] = {-1, -1, -1};
};

}  // namespace

int main(int argc, char** argv) {
    koui::App app("koui-preview", argc, argv, {"--page"});
    gallery::State state;
    state.keysHint = gallery::kPageKeysHint;  // the preview shows one theme: T does nothing here
    state.page = gallery::pageIndex(app.option("--page").value_or(gallery::pageName(0)));
    if (app.options().resources.empty() || state.page < 0) {
        std::fprintf(stderr, "usage: koui-preview --res DIR [--page NAME] %s\n", koui::AppOptions::kUsage);
        return 2;
    }
    std::unique_ptr<gallery::Pages> pages;
    koui::WindowConfig config{"koui-preview", 640, 490, "gallery.app"};
    config.drawOnDemand = true;
    koui::AppWindow* w = app.open(config, [&](koui::Div& root) {
        pages = gallery::build(root, state);
        auto& strip = koui::add<Strip>(root, "strip");
        strip.dSetPosAndSize(0, 400, 640, 90);
        strip.setUp(app.resourceFolder());
    });
    if (w) w->onKey([&pages](const koui::KeyPress& k) { return pages && pages->pageKey(k); });
    return app.run();
}
