// Draw pass on real GL: drawing order, the clip option's scissor rectangles
// (pixels cleared through them are read back), the scissor stack reset.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "koui/host/instance.h"
#include "tests/support/gl_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Rgba;

std::vector<std::string> gOrder;

// Clears whatever the scissor lets through to its colour and records the
// scissor state it found.
struct Painter : Div {
    std::string tag;
    float rgb[3] = {0, 0, 0};
    GLint box[4] = {0, 0, 0, 0};
    GLboolean scissorOn = GL_FALSE;
    void OnDraw(e_draw*) override {
        gOrder.push_back(tag);
        glGetIntegerv(GL_SCISSOR_BOX, box);
        scissorOn = glIsEnabled(GL_SCISSOR_TEST);
        glClearColor(rgb[0], rgb[1], rgb[2], 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void OnPostDraw(e_draw*) override { gOrder.push_back(tag + ".post"); }
};

struct DrawGlTest : test::GlTest {
    std::unique_ptr<Instance> inst{new Instance()};
    Canvas* canvas = nullptr;
    void SetUp() override {
        GlTest::SetUp();
        gOrder.clear();
        canvas = inst->CreateCanvas();
    }
    void TearDown() override {
        delete canvas;
        GlTest::TearDown();
    }
    Painter* paint(Div* parent, const std::string& tag, int x, int y, int w, int h, float r, float g, float b,
                   unsigned long opts = 0) {
        auto* p = new Painter();
        p->tag = tag;
        p->rgb[0] = r, p->rgb[1] = g, p->rgb[2] = b;
        return static_cast<Painter*>(p->Create(tag, parent ? parent : canvas, x, y, w, h, nullptr, opts, ""));
    }
    void frame() {
        inst->Iterate(0, 0, kWidth, kHeight);
        inst->Draw();
    }
};

TEST_F(DrawGlTest, ClipOptionScissorsElementAndChildren) {
    Painter* box = paint(nullptr, "box", 20, 30, 100, 60, 0, 0, 1, DIV_CLIP);
    // Reaches far past the box; its own clip meets the box's.
    Painter* inner = paint(box, "inner", 50, 40, 200, 200, 0, 1, 0, DIV_CLIP);
    clear(0, 0, 0);
    frame();
    EXPECT_EQ(box->scissorOn, GL_TRUE);
    EXPECT_EQ(box->box[0], 20);
    EXPECT_EQ(box->box[1], kHeight - 30 - 60);  // bottom-up
    EXPECT_EQ(box->box[2], 100);
    EXPECT_EQ(box->box[3], 60);
    EXPECT_EQ(inner->box[0], 70);
    EXPECT_EQ(inner->box[1], kHeight - 90);
    EXPECT_EQ(inner->box[2], 50);
    EXPECT_EQ(inner->box[3], 20);
    EXPECT_TRUE(regionIs(20, 30, 50, 40, Rgba{0, 0, 255}));
    EXPECT_TRUE(regionIs(70, 70, 50, 20, Rgba{0, 255, 0}));
    EXPECT_TRUE(regionIs(120, 30, 100, 150, Rgba{0, 0, 0}));  // clipped away
    EXPECT_TRUE(regionIs(0, 0, 20, 20, Rgba{0, 0, 0}));
    // After the pass the scissor covers the whole viewport again.
    GLint whole[4];
    glGetIntegerv(GL_SCISSOR_BOX, whole);
    EXPECT_EQ(whole[2], kWidth);
    EXPECT_EQ(whole[3], kHeight);
}

TEST_F(DrawGlTest, NestedClipsIntersect) {
    Painter* a = paint(nullptr, "a", 0, 0, 100, 100, 1, 0, 0, DIV_CLIP);
    Painter* b = paint(a, "b", 50, 50, 100, 100, 0, 1, 0, DIV_CLIP);
    clear(0, 0, 0);
    frame();
    EXPECT_EQ(b->box[0], 50);
    EXPECT_EQ(b->box[1], kHeight - 100);
    EXPECT_EQ(b->box[2], 50);
    EXPECT_EQ(b->box[3], 50);
    EXPECT_TRUE(regionIs(50, 50, 50, 50, Rgba{0, 255, 0}));
    EXPECT_TRUE(regionIs(100, 50, 50, 50, Rgba{0, 0, 0}));
    EXPECT_TRUE(canvas->scissorStack.empty());
}

TEST_F(DrawGlTest, OrderHiddenSubtreesAndNoDraw) {
    Painter* p = paint(nullptr, "p", 0, 0, 50, 50, 1, 1, 1);
    paint(p, "c1", 0, 0, 10, 10, 1, 1, 1);
    Painter* c2 = paint(p, "c2", 0, 0, 10, 10, 1, 1, 1);
    paint(c2, "g", 0, 0, 5, 5, 1, 1, 1);
    paint(nullptr, "empty", 0, 0, 0, 10, 1, 1, 1);  // no client area: children only
    frame();
    EXPECT_EQ(gOrder,
              (std::vector<std::string>{"p", "c1", "c1.post", "c2", "g", "g.post", "c2.post", "p.post"}));
    gOrder.clear();
    c2->dHide();
    canvas->dGetChild(1)->dHide();
    frame();
    EXPECT_EQ(gOrder, (std::vector<std::string>{"p", "c1", "c1.post", "p.post"}));
    gOrder.clear();
    canvas->noDraw = true;
    frame();
    EXPECT_TRUE(gOrder.empty());
}

}  // namespace
}  // namespace koui
