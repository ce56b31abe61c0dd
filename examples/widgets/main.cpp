// widgets: the toolkit's widgets in one window. A form whose button greets
// by the name typed (the age field takes digits only), a fader that drives
// two progress bars, a function view (Ctrl + wheel zooms, Ctrl + right drag
// pans), a list that scrolls with the wheel and opens a menu on a right
// click, and a drawing container: tiles drawn into a frame buffer of its
// own, scrolled by the wheel. Everything they look like comes from
// resdata/res.kor.
#include <string>

#include "koui/koui.h"

namespace {

// The list's panel: a right click opens a quick menu where it was made.
class MenuPanel : public koui::Div {
public:
    std::function<void(std::string)> picked;
    bool OnMTEvent(koui::e_mtevent* e) override {
        if (e->type != koui::MT_RDOWN) return false;
        koui::QuickMenu::wCreate("menu", this, e->pos, 140, "demo.menu",
                                 "red,Red,\ngreen,Green,\n!separator\nblue,Blue,\n")
            ->setSelectCB(picked);
        return true;
    }
};

void buildForm(koui::Div& root, koui::Static*& result) {
    auto& form = koui::add(root, "form", "demo.form");
    for (const char* label : {"title", "name-label", "age-label"})
        koui::add<koui::Static>(form, label, std::string("demo.form.") + label);
    auto& name = koui::add<koui::Edit>(form, "name", "demo.form.name");
    auto& age = koui::add<koui::Edit>(form, "age", "demo.form.age");
    age.dSetOpt(koui::EDITOPT_INT);
    result = &koui::add<koui::Static>(form, "result", "demo.form.result");
    koui::add<koui::Button>(form, "greet", "demo.form.greet").setClickCB([&name, &age, result] {
        const std::string years = age.getText().empty() ? "" : ", " + age.getText();
        result->setText("Hello, " + (name.getText().empty() ? "stranger" : name.getText()) + years + "!");
    });
}

void buildLevels(koui::Div& root) {
    auto& levels = koui::add(root, "levels", "demo.levels");
    koui::add<koui::Static>(levels, "title", "demo.levels.title");
    auto& bar = koui::add<koui::FixedProgBarNum>(levels, "bar", "demo.levels.bar");
    bar.setRange(0, 100)->setUnits(" %");
    auto& plain = koui::add<koui::FixedProgBar>(levels, "plain", "demo.levels.plain");
    plain.setRange(0, 200);  // the same value on twice the range
    koui::add<koui::Fader>(levels, "fader", "demo.levels.fader")
        .setRange(0, 100)
        ->setChangeCB([&bar, &plain](double v) {
            bar.setValue(v);
            plain.setValue(v);
        })
        ->setValue(64);
}

void buildList(koui::Div& root, koui::Static* result) {
    auto& panel = koui::add<MenuPanel>(root, "listpanel", "demo.listpanel");
    panel.picked = [result](const std::string& item) { result->setText("The menu picked " + item); };
    auto& list = koui::add<koui::Container>(panel, "list", "demo.list");
    list.dSetOpt(koui::DIV_CLIP);
    for (int i = 0; i < 12; ++i) {
        auto& row = koui::add<koui::Static>(list, "row" + std::to_string(i), "demo.row");
        row.setText("Row " + std::to_string(i + 1) + " of 12");
        row.dSetY(28 * i);
    }
}

void buildDrawing(koui::Div& root) {
    // The container shows its picture under its own background, so the
    // panel's look is on an element behind it.
    auto& frame = koui::add(root, "drawingframe", "demo.drawingframe");
    auto& drawing = koui::add<koui::DContainer>(frame, "drawing", "demo.drawing", root.dGetInstance());
    for (int i = 0; i < 24; ++i) {
        auto& tile =
            koui::add<koui::Static>(*drawing.canvas, "tile", i % 3 ? "demo.tile" : "demo.tile-accent");
        tile.setText(std::to_string(i + 1));
        tile.dSetPos(12 + (i % 12) * 58, 12 + (i / 12) * 110);
    }
}

}  // namespace

int main(int argc, char** argv) {
    koui::App app("widgets", argc, argv);
    koui::WindowConfig config("widgets", 760, 640, "demo.app");
    config.drawOnDemand = true;
    app.open(config, [](koui::Div& root) {
        koui::Static* result = nullptr;
        buildForm(root, result);
        buildLevels(root);
        koui::add<koui::FViewEx>(root, "view", "demo.view");
        buildList(root, result);
        buildDrawing(root);
    });
    return app.run();
}
