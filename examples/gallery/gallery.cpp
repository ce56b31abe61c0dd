// The gallery's pages (gallery.h): one element tree per window, every
// page built at once and all but one hidden, so that what the user set on
// a page stays when another is shown.
#include "gallery.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "koui/rm/rm.h"

namespace gallery {

namespace {

struct PageInfo {
    const char* name;
    const char* tab;
    const char* title;
};

constexpr PageInfo kPages[] = {
    {"texts", "Texts", "Texts and pictures"},
    {"buttons", "Buttons", "Buttons"},
    {"fields", "Fields", "Edit and classic text fields"},
    {"containers", "Boxes", "Containers, scrolling, frame buffer"},
    {"fader", "Fader", "Fader"},
    {"menu", "Menu", "Quick menu"},
    {"progress", "Progress", "Progress bars"},
    {"function", "Function", "Function view"},
    {"plot", "Plot", "Plot view"},
};
static_assert(std::size(kPages) == kPageCount);

// An element that hands the messages of its children (edit field keys) to
// the application.
class Page : public koui::Div {
public:
    std::function<void(koui::e_msg*)> onMsg;
    bool OnMsg(koui::e_msg* m) override {
        if (onMsg) onMsg(m);
        return false;
    }
};

// The element behind the pages: says "ready" once the window has drawn a
// few cycles, so that a test knows when to send input. When the focus has
// gone with its element (a quick menu closed), the window's root takes it
// back, so that the page keys work again.
class Stage : public koui::Div {
public:
    void OnIterate(koui::e_iterate*) override {
        if (++cycles_ == 3) say("ready", "gallery");
        koui::Canvas* canvas = dGetCanvas();
        if (canvas && !canvas->focus && parent) parent->dSetFocus();
    }

private:
    int cycles_ = 0;
};

// A right click opens the quick menu where it was made.
class MenuPanel : public koui::Div {
public:
    std::function<void(std::string)> picked;
    bool OnMTEvent(koui::e_mtevent* e) override {
        if (e->type != koui::MT_RDOWN) return false;
        koui::QuickMenu::wCreate("menu", this, e->pos, 140, "gallery.menu.popup",
                                 "red,Red,\ngreen,Green,\n!separator\nblue,Blue,\n")
            ->setSelectCB(picked);
        say("menu", "open");
        return true;
    }
};

class Gallery : public Pages {
public:
    Gallery(koui::Div& root, State& state) : state_(state), root_(root) {
        auto& stage = koui::add<Stage>(root, "stage", "gallery.stage");
        for (int i = 0; i < kPageCount; ++i) {
            auto& tab = koui::add<koui::Button>(stage, std::string("tab-") + kPages[i].name, "gallery.tab");
            tab.setText(kPages[i].tab);
            tab.dSetPos(8 + 70 * i, 8);
            tab.setClickCB([this, i] { show(i); });
            tabs_.push_back(&tab);
            auto& page = koui::add<Page>(stage, kPages[i].name, "gallery.page");
            koui::add<koui::Static>(page, "title", "gallery.title").setText(kPages[i].title);
            pages_.push_back(&page);
        }
        status_ = &koui::add<koui::Static>(stage, "status", "gallery.status");
        texts(*pages_[0]);
        buttons(*pages_[1]);
        fields(*pages_[2]);
        containers(*pages_[3]);
        fader(*pages_[4]);
        menu(*pages_[5]);
        progress(*pages_[6]);
        koui::add<koui::FViewEx>(*pages_[7], "view", "gallery.function.view");
        plot(*pages_[8]);
        setLevel(state_.level);
        show(state_.page);
    }

    void show(int index) override {
        state_.page = (index % kPageCount + kPageCount) % kPageCount;
        for (int i = 0; i < kPageCount; ++i) {
            const bool on = i == state_.page;
            on ? pages_[i]->dShow() : pages_[i]->dHide();
            tabs_[i]->uiSetStyle(on ? "gallery.tab-on" : "gallery.tab");
        }
        // Keys go to the window again, not to a field on a hidden page.
        root_.dSetFocus();
        updateStatus();
        say("page", kPages[state_.page].name);
    }
    int page() const override { return state_.page; }

private:
    static std::string style(const char* page, const char* element) {
        return std::string("gallery.") + page + "." + element;
    }
    koui::Static& label(koui::Div& page, const char* pageName, const char* name) {
        return koui::add<koui::Static>(page, name, style(pageName, name));
    }

    void texts(koui::Div& page) {
        for (const char* name : {"big", "body", "small", "right", "centred", "panel"})
            label(page, "texts", name);
        // A picture takes its image's size; the icon strip's versions are
        // drawn by the panel's arrangement program.
        koui::Static::wCreateImage("picture", &page, 500, 200, "images.logo");
    }

    void buttons(koui::Div& page) {
        auto& count = label(page, "buttons", "count");
        auto& counter = koui::add<koui::Button>(page, "counter", style("buttons", "counter"));
        counter.setClickCB([this, &count] {
            ++state_.clicks;
            count.setText("Clicked " + std::to_string(state_.clicks) +
                          (state_.clicks == 1 ? " time" : " times"));
            updateStatus();
            say("clicks", std::to_string(state_.clicks));
        });
        count.setText("Clicked " + std::to_string(state_.clicks) + (state_.clicks == 1 ? " time" : " times"));
        auto& toggle = koui::add<koui::Button>(page, "toggle", style("buttons", "toggle"));
        toggle.setClickCB([&toggle] {
            const bool on = toggle.setCheck(!toggle.isChecked());
            toggle.uiSetStyle(on ? "gallery.buttons.toggle-on" : "gallery.buttons.toggle");
        });
        koui::add<koui::Button>(page, "disabled", style("buttons", "disabled")).dDisable();
        label(page, "buttons", "icon-label");
        koui::Button::wCreateImageButton("icon", &page, 200, 200, "images.icons.strip");
    }

    void fields(Page& page) {
        for (const char* name : {"name-label", "number-label", "secret-label", "classic-label"})
            label(page, "fields", name);
        koui::add<koui::Edit>(page, "name", style("fields", "name"));
        auto& number = koui::add<koui::Edit>(page, "number", style("fields", "number"));
        number.dSetOpt(koui::EDITOPT_FLOAT);
        koui::add<koui::Edit>(page, "secret", style("fields", "secret")).dSetOpt(koui::EDITOPT_PASSWORD);
        auto& twice = label(page, "fields", "twice");
        auto showTwice = [&number, &twice] {
            char* end = nullptr;
            const std::string& t = number.getText();
            const double v = std::strtod(t.c_str(), &end);
            if (t.empty() || *end) {
                twice.setText("Type a number");
                return;
            }
            char line[64];
            std::snprintf(line, sizeof line, "Twice that is %g", 2 * v);
            twice.setText(line);
        };
        page.onMsg = [&number, showTwice](koui::e_msg* m) {
            if (m->from == &number && m->id == koui::EDITMSG_KEY) showTwice();
        };
        showTwice();
        classicField(page);
    }

    // The classic field draws with a formatted font of the classic resource
    // manager: one made here from the theme's body font. Its text colour is
    // the style's.
    static void classicField(koui::Div& page) {
        koui::RM* rm = page.dGetInstance()->rm;
        const std::string font = page.resInst()->getRootPath() + "Fonts/DejaVuSans.ttf";
        if (rm->glFontList->Add("sans", font.c_str())) {
            const std::string def = "#colors\nfield,#808080\n#formatfonts\nfield,font=sans,color=field\n";
            rm->CreateFromBuffer(def.data(), static_cast<int>(def.size()), nullptr);
        }
        koui::SEdit* classic =
            koui::SEdit::wCreate("classic", &page, 140, 170, 220, 28, nullptr, "field", nullptr, nullptr);
        classic->uiSetStyle("gallery.fields.classic");
        classic->SetText("classic text %d", 7);
    }

    void containers(koui::Div& page) {
        auto& list = koui::add<koui::Container>(page, "list", style("containers", "list"));
        list.dSetOpt(koui::DIV_CLIP);
        for (int i = 0; i < 12; ++i) {
            auto& row = koui::add<koui::Static>(list, "row" + std::to_string(i), style("containers", "row"));
            row.setText("Row " + std::to_string(i + 1) + " of 12: the wheel scrolls");
            row.dSetY(26 * i);
        }
        // The drawing container shows its picture under its own background,
        // so the panel's look is on an element behind it.
        auto& frame = koui::add(page, "drawingframe", style("containers", "drawingframe"));
        auto& drawing = koui::add<koui::DContainer>(frame, "drawing", style("containers", "drawing"),
                                                    page.dGetInstance());
        for (int i = 0; i < 12; ++i) {
            auto& tile = koui::add<koui::Static>(*drawing.canvas, "tile",
                                                 style("containers", i % 3 ? "tile" : "tile-accent"));
            tile.setText(std::to_string(i + 1));
            tile.dSetPos(10 + (i % 4) * 54, 10 + (i / 4) * 70);
        }
    }

    void fader(koui::Div& page) {
        levelText_ = &label(page, "fader", "level");
        levelBar_ = &koui::add<koui::FixedProgBarNum>(page, "bar", style("fader", "bar"));
        levelBar_->setRange(0, 100)->setUnits(" %");
        levelPlain_ = &koui::add<koui::FixedProgBar>(page, "plain", style("fader", "plain"));
        levelPlain_->setRange(0, 100);
        fader_ = &koui::add<koui::Fader>(page, "fader", style("fader", "fader"));
        fader_->setRange(0, 100)->setChangeCB([this](double v) {
            setLevel(v);
            char line[48];
            std::snprintf(line, sizeof line, "%.0f progress %.2f", v, levelPlain_->getNorm());
            say("level", line);
        });
    }

    void setLevel(double v) {
        state_.level = v;
        fader_->setValue(v);
        levelBar_->setValue(v);
        levelPlain_->setValue(v);
        progressLevel_->setValue(v);
        char line[64];
        std::snprintf(line, sizeof line, "Level %.0f of 100", v);
        levelText_->setText(line);
        updateStatus();
    }

    void menu(koui::Div& page) {
        auto& panel = koui::add<MenuPanel>(page, "panel", style("menu", "panel"));
        auto& picked = label(page, "menu", "picked");
        picked.setText("The menu picked " + state_.picked);
        panel.picked = [this, &picked](const std::string& item) {
            state_.picked = item;
            picked.setText("The menu picked " + item);
            updateStatus();
            say("picked", item);
        };
    }

    void progress(koui::Div& page) {
        const double values[] = {0, 25, 50, 100};
        for (int i = 0; i < 4; ++i) {
            const std::string n = std::to_string(static_cast<int>(values[i]));
            auto& bar = koui::add<koui::FixedProgBar>(page, "bar" + n, style("progress", "bar"));
            bar.setRange(0, 100);
            bar.setValue(values[i]);
            bar.dSetPos(20, 50 + 30 * i);
            auto& text = koui::add<koui::Static>(page, "label" + n, style("progress", "label"));
            text.setText(n + " %");
            text.dSetPos(250, 50 + 30 * i);
        }
        progressLevel_ = &koui::add<koui::FixedProgBarNum>(page, "level", style("progress", "level"));
        progressLevel_->setRange(0, 100)->setUnits(" % (the fader's level)");
        progressLevel_->setNumFormat("%.1f");
    }

    void plot(koui::Div& page) {
        auto& view = koui::add<koui::pz::View>(page, "view", "gallery.plot.view");
        std::vector<glm::vec2> sine, bars;
        for (int i = 0; i <= 400; ++i) {
            const float x = -5.0f + i * 0.025f;
            sine.push_back({x, 2.0f * std::sin(x)});
        }
        for (int i = 0; i < 8; ++i) {
            const float x = -4.5f + i * 1.2f;
            bars.push_back({x, 0.0f});
            bars.push_back({x + 0.8f, 0.3f * float(i + 1) - 1.2f});
        }
        view.addRects(bars, "series.bars");
        view.addLine(sine, "series.sine");
        // y grows upwards, one unit 40 pixels, the origin in the middle.
        view.getCanvas()->setOffsetAndScaleXY(280, 130, 40, -40);
    }

    void updateStatus() {
        char line[160];
        std::snprintf(line, sizeof line, "Page %d of %d  |  level %.0f  |  %d clicks  |  menu: %s  |  %s",
                      state_.page + 1, kPageCount, state_.level, state_.clicks, state_.picked.c_str(),
                      state_.keysHint.c_str());
        status_->setText(line);
    }

    State& state_;
    koui::Div& root_;
    std::vector<koui::Button*> tabs_;
    std::vector<Page*> pages_;
    koui::Static* status_ = nullptr;
    koui::Static* levelText_ = nullptr;
    koui::FixedProgBarNum* levelBar_ = nullptr;
    koui::FixedProgBar* levelPlain_ = nullptr;
    koui::FixedProgBarNum* progressLevel_ = nullptr;
    koui::Fader* fader_ = nullptr;
};

}  // namespace

const char* pageName(int index) {
    return kPages[index].name;
}

int pageIndex(const std::string& name) {
    for (int i = 0; i < kPageCount; ++i)
        if (name == kPages[i].name) return i;
    return -1;
}

void say(const char* what, const std::string& value) {
    std::printf("%s %s\n", what, value.c_str());
    std::fflush(stdout);
}

bool Pages::pageKey(const koui::KeyPress& k) {
    if (k.key >= '1' && k.key < '1' + kPageCount)
        show(k.key - '1');
    else if (k.key == koui::keys::kPageDown)
        show(page() + 1);
    else if (k.key == koui::keys::kPageUp)
        show(page() - 1);
    else
        return false;
    return true;
}

std::unique_ptr<Pages> build(koui::Div& root, State& state) {
    return std::make_unique<Gallery>(root, state);
}

}  // namespace gallery
