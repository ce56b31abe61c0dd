// Element core: tree, geometry, iterate, hit testing, mappings, texts,
// callbacks, focus and messages.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <tuple>

#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::floatsAre;
using test::Probe;

struct DivTest : ::testing::Test {
    std::unique_ptr<Canvas> canvas{test::makeCanvas(300, 200)};
    Probe* add(Div* parent, int x, int y, int cx, int cy, const std::string& name = "",
               unsigned long opts = 0) {
        return test::make<Probe>(parent ? parent : canvas.get(), x, y, cx, cy, name, opts);
    }
    void cycle() { canvas->Iterate(); }
    // Where the client origin of `d` lies on the canvas.
    static glm::vec2 origin(Div* d) {
        float out[2];
        d->DivToCanvas(out, 0.0, 0.0);
        return {out[0], out[1]};
    }
    // The names of the children of `p`, in drawing order.
    static std::string names(Div* p) {
        std::string s;
        for (int i = 0; i < p->dGetChildrenCount(); ++i) s += p->dGetChild(i)->name;
        return s;
    }
};

TEST_F(DivTest, NegativeSizesAreParentMinusMagnitude) {
    Div* a = add(nullptr, 0, 0, -20, -50);
    Div* b = add(nullptr, 0, 0, 0, 0);
    b->dSetCX(-10, UNIT_PERCENT);
    b->dSetCY(-0.25f, UNIT_FRACTION);
    cycle();
    EXPECT_THAT((std::array{a->dGetRealPixCX(), a->dGetRealPixCY(), b->dGetRealPixCX(), b->dGetRealPixCY()}),
                floatsAre(280, 150, 270, 150));
}

TEST_F(DivTest, AlignmentInsideParentClientArea) {
    Div* parent = add(nullptr, 10, 20, 200, 100);
    Div* d = add(parent, 0, 0, 50, 50);
    d->hAlign = 2;
    d->vAlign = 1;
    Div* c = add(parent, 5, 0, 40, 20);
    c->hAlign = 1;
    c->vAlign = 2;
    cycle();
    EXPECT_THAT(d->realPos, floatsAre(150, 25));
    EXPECT_THAT(c->realPos, floatsAre(85, 80));  // x: 5 + 100 - 20
    EXPECT_EQ(origin(d), glm::vec2(160, 45));
}

TEST_F(DivTest, UnitsPaddingBorderAndMappings) {
    Div* d = add(nullptr, 0, 0, 0, 0);
    d->dSetPos(0.5f, 10.0f, UNIT_FRACTION);
    d->dSetY(25, UNIT_PERCENT);
    d->dSetSize(100, 80, UNIT_PIXEL);
    EXPECT_EQ(d->posUnits, 0x21);
    d->padding[0] = 4, d->padding[1] = 6, d->padding[2] = 8, d->padding[3] = 10;
    d->borderSize = 2;
    cycle();
    EXPECT_THAT(d->realPos, floatsAre(150, 50));
    EXPECT_THAT((std::array{d->dGetCXf(), d->dGetCYf()}), floatsAre(100 - 12 - 4, 80 - 16 - 4));
    EXPECT_EQ(origin(d), glm::vec2(156, 58));  // x: 150 + border 2 + padding 4
    EXPECT_EQ(d->CanvasToDiv(glm::vec2(166, 59)), glm::vec2(10, 1));
    d->localMat = glm::mat4(2.0f);
    d->localMat[3][3] = 1.0f;
    cycle();
    float view[2];
    d->CanvasToDiv_View(view, 166.0, 58.0);
    EXPECT_FLOAT_EQ(view[0], 10);
    EXPECT_EQ(d->CanvasToDiv(glm::vec2(166, 58)), glm::vec2(5, 0));  // zoomed content: half the distance
    d->dSetSize(0, 10);
    cycle();
    EXPECT_EQ(d->CanvasToDiv(view, 1.0, 1.0), nullptr);
}

TEST_F(DivTest, TreeOperations) {
    Div* a = add(nullptr, 0, 0, 10, 10, "a");
    Div* b = add(nullptr, 0, 0, 10, 10, "b");
    Div* c = add(nullptr, 0, 0, 10, 10, "c");
    EXPECT_EQ(canvas->dAddChild(a, false), a);
    EXPECT_EQ(names(canvas.get()), "abc");  // already a child: not reordered
    EXPECT_TRUE(canvas->dMoveChildToFront(a));
    EXPECT_EQ(names(canvas.get()), "bca");
    EXPECT_EQ(std::tuple(canvas->dGetChild(-1), canvas->dGetChild(3), (*canvas)["c"]),
              std::tuple(nullptr, nullptr, c));
    EXPECT_EQ(b->dGetChildByNameInParent("a"), a);
    b->setNextNode("c")->setPrevNode("a");
    EXPECT_EQ(std::tuple(b->getNextNodeDiv(), b->getPrevNodeDiv()), std::tuple(c, a));

    Div* only = add(b, 0, 0, 1, 1, "x");
    EXPECT_FALSE(b->dMoveChildToFront(only));  // one child
    c->dAddChild(only, true);                  // reparent
    EXPECT_EQ(std::tuple(names(b), only->dGetParent()), std::tuple("", c));
    EXPECT_TRUE(c->dDetachChild(only));
    EXPECT_FALSE(c->dDetachChild(only));
    EXPECT_EQ(std::tuple(only->dGetParent(), only->dGetCanvas()), std::tuple(nullptr, nullptr));
    delete only;

    EXPECT_TRUE(b->dDestroy());
    EXPECT_EQ(names(canvas.get()), "ca");  // order of the others kept
    EXPECT_TRUE(canvas->dIsClass("koui::Canvas"));
    EXPECT_TRUE(canvas->dIsBaseClass("koui::Div"));
}

TEST_F(DivTest, EnableChildStopsAtAll) {
    Div* a = add(nullptr, 0, 0, 1, 1, "a");
    Div* b = add(nullptr, 0, 0, 1, 1, "b");
    Div* c = add(nullptr, 0, 0, 1, 1, "c");
    canvas->dEnableChild(false, "a,@all,b");
    EXPECT_TRUE(a->IsDisabled() && b->IsDisabled() && c->IsDisabled());
    canvas->dEnableChild(true, "c,nobody");
    EXPECT_TRUE(c->IsEnabled() && a->IsDisabled());
}

TEST_F(DivTest, HiddenSubtreeIsIteratedButNotHit) {
    auto* parent = add(nullptr, 0, 0, 100, 100);
    auto* child = add(parent, 10, 10, 20, 20);
    parent->dHide();
    cycle();
    EXPECT_EQ(child->iterated, 1);
    std::vector<e_getdivpos> hits;
    EXPECT_EQ(canvas->GetByPos(hits, 15, 15), 1);  // the canvas itself
    EXPECT_EQ(hits[0].div, canvas.get());
    EXPECT_EQ(parent->GetByPos(hits, 15, 15), 0);
}

TEST_F(DivTest, HitTestingInDrawingOrderWithClipping) {
    auto* box = add(nullptr, 50, 50, 100, 100, "box");
    auto* inner = add(box, 10, 10, 20, 20, "inner");
    auto* outside = add(box, 120, 0, 40, 40, "outside");  // reaches past box
    cycle();
    std::vector<e_getdivpos> hits;
    ASSERT_EQ(canvas->GetByPos(hits, 65, 65), 3);
    EXPECT_EQ(std::tuple(hits[0].div, hits[1].div, hits[2].div, hits[2].level),
              std::tuple(canvas.get(), box, inner, 2));
    EXPECT_THAT(hits[2].pos, floatsAre(5, 5));
    ASSERT_EQ(canvas->GetByPos(hits, 175, 55), 2);
    EXPECT_EQ(hits[1].div, outside);
    box->dSetOpt(DIV_CLIP);
    EXPECT_EQ(canvas->GetByPos(hits, 175, 55), 1);
    EXPECT_EQ(box->GetByPos(hits, 175, 55), 0);
    // Right and bottom edges are outside.
    EXPECT_EQ(canvas->GetByPos(hits, 150, 60), 1);
}

TEST_F(DivTest, IterateEasesOffsetAndOpacityToTargets) {
    auto* list = add(nullptr, 0, 0, 100, 100);
    auto* row = add(list, 0, 0, 100, 20);
    auto* pinned = add(list, 0, 0, 100, 20, "", DIV_FIXED);
    list->offsetLimit[2] = 80;  // X1
    list->offsetLimit[3] = 40;  // Y1
    list->setChildrenOffset(-200, -30);
    list->opacityTarget = 0.5;
    for (int i = 0; i < 200; ++i) cycle();
    // x clamped to -X1; realPos is parent-relative.
    EXPECT_EQ(
        std::tuple(list->childOffsetTarget[0], list->childOffset[0], list->childOffset[1], list->opacity),
        std::tuple(-80, -80, -30, 0.5));
    EXPECT_FLOAT_EQ(row->dGetRealPixX(), 0);
    EXPECT_EQ(origin(row), glm::vec2(-80, -30));
    EXPECT_EQ(origin(pinned), glm::vec2(0, 0));
    list->setChildrenOffsetDelta(0, 100);
    cycle();
    EXPECT_DOUBLE_EQ(list->childOffsetTarget[1], 0);  // lowered to -Y0
    list->dSetOpt(DIV_UNCLAMPED);
    list->setChildrenOffset(500, 0);
    cycle();
    EXPECT_DOUBLE_EQ(list->childOffsetTarget[0], 500);
    EXPECT_EQ(row->level, 1u);
}

// Numbers read with a default for missing children; formatted text is cut
// at the 4 KiB buffer.
TEST_F(DivTest, ChildrenTexts) {
    Div* a = add(nullptr, 0, 0, 1, 1, "n");
    a->setText("12ab");
    EXPECT_EQ(std::tuple(canvas->chTexti("n", 7), canvas->chTexti("none", 7)), std::tuple(12, 7));
    EXPECT_TRUE(canvas->setChildText("n", "2.5x") && !canvas->setChildText("none", "x"));
    EXPECT_DOUBLE_EQ(canvas->chTextf("n", 0), 2.5);
    EXPECT_EQ(a->setFormatText("%s", std::string(5000, 'q').c_str()).size(), 4095u);
}

TEST_F(DivTest, FocusTransferRules) {
    auto* a = add(nullptr, 0, 0, 1, 1);
    auto* b = add(nullptr, 0, 0, 1, 1);
    Probe detached;
    EXPECT_FALSE(detached.dSetFocus());
    EXPECT_FALSE(detached.dKillFocus());
    EXPECT_TRUE(a->dSetFocus());
    EXPECT_FALSE(a->dSetFocus());  // already focused
    a->releaseFocus = false;
    EXPECT_FALSE(b->dSetFocus());
    EXPECT_TRUE(a->dHasFocus());
    a->releaseFocus = true;
    b->acceptFocus = false;
    EXPECT_TRUE(b->dSetFocus());  // true although b declined
    EXPECT_EQ(canvas->focus, a);  // the focus stays
    b->acceptFocus = true;
    EXPECT_TRUE(b->dSetFocus());
    EXPECT_EQ(canvas->focus, b);
    using Call = std::pair<std::string, Div*>;
    EXPECT_EQ(b->focusCalls.back(), Call("set", a));
    EXPECT_EQ(a->focusCalls.back(), Call("kill", b));
    EXPECT_TRUE(b->dKillFocus());
    EXPECT_EQ(b->focusCalls.back(), Call("kill", nullptr));
    EXPECT_EQ(canvas->focus, nullptr);
}

TEST_F(DivTest, SynchronousMessages) {
    auto* parent = add(nullptr, 0, 0, 1, 1);
    auto* child = add(parent, 0, 0, 1, 1);
    auto* other = add(nullptr, 0, 0, 1, 1);
    int x = 0;
    EXPECT_TRUE(child->SendMsg(1000, nullptr, 3, &x, 4, nullptr));
    ASSERT_EQ(parent->msgs.size(), 1u);
    const e_msg& m = parent->msgs[0];
    EXPECT_EQ(std::tuple(m.id, m.from, m.to, m.ptr1, m.num1, m.num2),
              std::tuple(1000u, child, nullptr, static_cast<void*>(&x), 3u, 4u));
    EXPECT_TRUE(child->SendStrMsg(7, other, "v=%d", 5));
    EXPECT_TRUE(child->SendStrMsg(8, other, std::string("plain")));
    ASSERT_EQ(other->msgs.size(), 2u);
    EXPECT_EQ(std::tuple(other->msgs[0].str, other->msgs[1].str), std::tuple("v=5", "plain"));
    Probe alone;
    EXPECT_FALSE(alone.SendMsg(1, nullptr, 0, nullptr, 0, nullptr));
    EXPECT_FALSE(alone.Queue(1, nullptr, "", nullptr, 0, nullptr, 0));  // no instance
}

TEST_F(DivTest, DeletingAnElementClearsCanvasReferences) {
    auto* a = add(nullptr, 0, 0, 10, 10);
    auto* inner = add(a, 0, 0, 5, 5);
    inner->dSetFocus();
    canvas->pressed = inner;
    canvas->pressedType = MT_LDOWN;
    canvas->makeModal(a, false, 0, 0, DIV_MODAL);
    delete a;
    EXPECT_EQ(std::tuple(canvas->focus, canvas->pressed, canvas->pressedType, canvas->modalStack.size(),
                         canvas->dGetChildrenCount()),
              std::tuple(nullptr, nullptr, 0u, 0u, 0));
}

TEST_F(DivTest, BoundingBoxOfChildren) {
    auto* box = add(nullptr, 0, 0, 200, 200);
    add(box, 10, 20, 30, 40);
    auto* hidden = add(box, -5, 0, 10, 10);
    add(box, 50, 5, 10, 10);
    hidden->dHide();
    cycle();
    float b[4];
    int n = 0;
    box->GetChildBoundingBox(b, &n, 0);
    EXPECT_EQ(n, 2);
    EXPECT_THAT(b, floatsAre(10, 5, 60, 60));
    box->GetChildBoundingBox(b, &n, 1);
    EXPECT_EQ(n, 3);
    EXPECT_FLOAT_EQ(b[0], -5);
    Probe empty;
    empty.GetChildBoundingBox(b, &n, 1);
    EXPECT_EQ(n, 0);
    EXPECT_FLOAT_EQ(b[2], 0);
}

}  // namespace
}  // namespace koui
