// Canvas routing of pointer, keys and messages; tooltip timing; scissors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "koui/host/instance.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Probe;
using ::testing::ElementsAre;

double fakeNow = 0;
double fakeClock() {
    return fakeNow;
}

// An instance without resources or watcher; queue and iterate as in a window.
struct CanvasTest : ::testing::Test {
    std::unique_ptr<Instance> inst{new Instance()};
    Canvas* canvas = nullptr;
    void SetUp() override {
        canvas = inst->CreateCanvas();
        canvas->setClock(&fakeClock);
        fakeNow = 100.0;
        canvas->hoverStart = fakeNow;
        inst->Iterate(0, 0, 400, 300);
    }
    void TearDown() override { delete canvas; }
    Probe* add(Div* parent, int x, int y, int cx, int cy, unsigned long opts = 0) {
        return test::make<Probe>(parent ? parent : canvas, x, y, cx, cy, "", opts);
    }
    void cycle() { inst->Iterate(0, 0, 400, 300); }
    bool press(double x, double y, int type = MT_LDOWN) { return canvas->ProcessMTEvent(type, x, y, 0, 0); }
    bool move(double x, double y) { return canvas->ProcessMTEvent(MT_MOVE, x, y, 0, MOD_SHIFT); }
};

TEST_F(CanvasTest, DeclinedPressReachesOuterElementsWhichGetDragAndRelease) {
    Probe* outer = add(nullptr, 10, 10, 200, 200);
    Probe* mid = add(outer, 10, 10, 100, 100);
    Probe* inner = add(mid, 10, 10, 20, 20);
    outer->acceptMT = true;
    cycle();
    EXPECT_TRUE(press(35, 35));
    EXPECT_EQ(std::tuple(canvas->pressed, canvas->pressedType), std::tuple(outer, MT_LDOWN));
    move(300, 280);  // outside every element: still a drag of outer
    EXPECT_FALSE(canvas->ProcessMTEvent(MT_RUP, 390, 290, 0, 0));  // another button
    EXPECT_EQ(std::tuple(canvas->pressed, canvas->pressedType), std::tuple(nullptr, 0u));
    EXPECT_FALSE(canvas->ProcessMTEvent(MT_LUP, 35, 35, 0, 0));
    EXPECT_THAT(outer->mtTypes, ElementsAre(MT_LDOWN, MT_MOVE, MT_RUP));
    EXPECT_THAT(outer->mtPos,
                ElementsAre(glm::vec3(25, 25, 0), glm::vec3(290, 270, 0), glm::vec3(380, 280, 0)));
    EXPECT_EQ(std::tuple(inner->mtTypes.size(), mid->mtTypes.size()),
              std::tuple(1u, 1u));  // moves reach nobody else
}

TEST_F(CanvasTest, NobodyAcceptsAndInvisibleElementsAreSkipped) {
    Probe* a = add(nullptr, 0, 0, 100, 100);
    Probe* ghost = add(a, 0, 0, 50, 50);
    ghost->acceptMT = true;
    cycle();
    ghost->opacity = 0;
    EXPECT_FALSE(press(10, 10));
    EXPECT_TRUE(ghost->mtTypes.empty());
    EXPECT_EQ(a->mtTypes.size(), 1u);
    EXPECT_EQ(canvas->pressed, nullptr);
    EXPECT_FALSE(canvas->ProcessMTEvent(MT_XDOWN, 10, 10, 0, 0));
}

TEST_F(CanvasTest, WheelIgnoresModalListAndSignsZ) {
    Probe* back = add(nullptr, 0, 0, 100, 100);
    Probe* dialog = add(nullptr, 200, 200, 50, 50);
    back->acceptMT = true;
    canvas->makeModal(dialog, false, 0, 0, DIV_MODAL);
    cycle();
    EXPECT_FALSE(press(10, 10));  // swallowed by the modal gate
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_WHEEL, 10, 10, -120, 0));
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_WHEEL, 10, 10, 1, 0));
    EXPECT_THAT(back->mtPos, ElementsAre(glm::vec3(10, 10, -1), glm::vec3(10, 10, 1)));
    EXPECT_EQ(canvas->pressed, nullptr);
}

TEST_F(CanvasTest, ModalGateRoutesInsideAndSwallowsOutside) {
    Probe* back = add(nullptr, 0, 0, 400, 300);
    Probe* dialog = add(nullptr, 0, 0, 0, 0);
    Probe* ok = add(dialog, 10, 10, 30, 20);
    back->acceptMT = ok->acceptMT = true;
    EXPECT_TRUE(canvas->makeModal(dialog, true, 101, 51, DIV_MODAL));
    EXPECT_EQ(canvas->dGetChild(1), dialog);
    cycle();
    EXPECT_THAT(dialog->realPos, test::floatsAre(150, 125));  // 200 - 101 / 2, 150 - 51 / 2
    EXPECT_FALSE(press(5, 5));
    EXPECT_TRUE(back->mtTypes.empty());
    EXPECT_TRUE(press(165, 140));
    EXPECT_EQ(canvas->pressed, ok);
    EXPECT_TRUE(ok->dIsParentModal());
    EXPECT_FALSE(canvas->makeModal(nullptr, false, 0, 0, 0));
    EXPECT_FALSE(canvas->releaseModal(back));
    EXPECT_TRUE(canvas->releaseModal(dialog));
    EXPECT_FALSE(canvas->releaseModal(dialog));
    EXPECT_EQ(canvas->getModal(), nullptr);
    // A modal element without client area takes every press.
    canvas->makeModal(add(nullptr, 0, 0, 0, 0), false, 0, 0, DIV_MODAL);
    cycle();
    EXPECT_FALSE(press(10, 10));
    EXPECT_TRUE(back->mtTypes.empty());
}

TEST_F(CanvasTest, PopupClosesOnOutsidePressAndPressGoesOn) {
    Probe* back = add(nullptr, 0, 0, 400, 300);
    Probe* menu = add(nullptr, 300, 10, 80, 80);
    back->acceptMT = true;
    canvas->makeModal(menu, false, 0, 0, DIV_MODAL | DIV_POPUP);
    cycle();
    EXPECT_TRUE(press(20, 20));
    EXPECT_EQ(canvas->pressed, back);
    EXPECT_EQ(canvas->getModal(), nullptr);
    EXPECT_EQ(canvas->dGetChildrenCount(), 2);  // deleted at the next cycle
    EXPECT_TRUE(press(20, 20));                 // a second press queues nothing more
    EXPECT_EQ(inst->queuedCount(), 1u);
    cycle();
    EXPECT_EQ(canvas->dGetChildrenCount(), 1);
}

// After the rest the front-most element is asked for its text until it gives one.
TEST_F(CanvasTest, TooltipTextIsAskedEachCycleUntilShown) {
    struct Tipped : Probe {
        int asked = 0;
        glm::vec2 at{};
        const std::string& OnGetToolTipText(const glm::vec2& p) override {
            ++asked;
            at = p;
            return Probe::OnGetToolTipText(p);
        }
    };
    Tipped* t = test::make<Tipped>(canvas, 100, 100, 50, 50);
    cycle();
    move(110, 120);
    fakeNow += 0.501;
    move(110, 120);
    EXPECT_EQ(t->at, glm::vec2(10, 20));
    EXPECT_DOUBLE_EQ(canvas->toolTipTarget, 0);  // empty text shows nothing
    move(110, 120);
    EXPECT_EQ(t->asked, 2);
    t->setToolTipText("Hello");
    move(110, 120);
    EXPECT_DOUBLE_EQ(canvas->toolTipTarget, 1);
    EXPECT_FLOAT_EQ(canvas->toolTipPos[0], 110);
    move(110, 120);
    EXPECT_EQ(t->asked, 3);  // shown: not asked again
    move(111, 120);
    EXPECT_DOUBLE_EQ(canvas->toolTipTarget, 0);
    EXPECT_DOUBLE_EQ(canvas->hoverStart, fakeNow);
}

TEST_F(CanvasTest, TooltipBoxKeptInsideTheViewport) {
    float box[4];
    canvas->toolTipPos[0] = 390, canvas->toolTipPos[1] = 290;
    canvas->toolTipRect(120, 12, 5, 50, box);
    EXPECT_THAT(box, test::floatsAre(270, 278, 130, 22));
}

TEST_F(CanvasTest, KeysAndCharactersGoToFocus) {
    EXPECT_FALSE(canvas->ProcessKeyEvent('A', 'a', 0));
    Probe* edit = add(nullptr, 0, 0, 10, 10);
    edit->dSetFocus();
    EXPECT_TRUE(canvas->ProcessKeyEvent(0x41, 'a', MOD_CTRL));
    EXPECT_TRUE(canvas->ProcessCharEvent('x', 0, 0));
    EXPECT_EQ(std::tuple(edit->keys, edit->chars), std::tuple(std::vector{0x41}, std::vector{int('x')}));
}

// Deletion by message is checked with the queue; other messages go on to the target.
TEST_F(CanvasTest, MessagesGoOnToTheTarget) {
    Probe target;
    canvas->msgTarget = &target;
    e_msg m;
    m.id = 5;
    EXPECT_TRUE(canvas->OnMsg(&m));
    EXPECT_EQ(target.msgs.at(0).id, 5u);
    canvas->msgTarget = nullptr;
}

TEST_F(CanvasTest, ElementDeletingItselfFromItsHandler) {
    // Queues its own deletion and accepts the press.
    struct Quitter : Probe {
        bool OnMTEvent(e_mtevent* e) override {
            Probe::OnMTEvent(e);
            dSetFocus();
            Queue(MSG_DELETE, nullptr, "", this, 0, nullptr, 0);
            return true;
        }
    };
    Quitter* q = test::make<Quitter>(canvas, 0, 0, 50, 50);
    canvas->makeModal(q, false, 0, 0, DIV_MODAL);
    cycle();
    EXPECT_TRUE(press(10, 10));
    EXPECT_EQ(canvas->pressed, q);
    cycle();  // message 100 runs here
    EXPECT_EQ(
        std::tuple(canvas->dGetChildrenCount(), canvas->pressed, canvas->focus, canvas->modalStack.size()),
        std::tuple(0, nullptr, nullptr, 0u));
    EXPECT_FALSE(canvas->ProcessMTEvent(MT_LUP, 10, 10, 0, 0));

    // Deleted outright: the press goes on outwards as if declined.
    struct Vanisher : Probe {
        bool OnMTEvent(e_mtevent*) override {
            delete this;
            return true;
        }
    };
    Probe* back = add(nullptr, 0, 0, 100, 100);
    back->acceptMT = true;
    test::make<Vanisher>(back, 0, 0, 20, 20);
    cycle();
    EXPECT_TRUE(press(5, 5));
    EXPECT_EQ(canvas->pressed, back);
    EXPECT_EQ(back->dGetChildrenCount(), 0);
}

TEST_F(CanvasTest, ScissorStackIntersectsWithViewport) {
    int r[4];
    canvas->scissorRect(r);
    EXPECT_THAT(r, ElementsAre(0, 0, 400, 300));
    canvas->scissorStack.push_back({50, 40, 500, 100});
    canvas->scissorRect(r);
    EXPECT_THAT(r, ElementsAre(50, 40, 350, 100));
    canvas->scissorStack.push_back({0, 0, 10, 10});  // no overlap
    canvas->scissorStack.push_back({0, 0, 400, 300});
    canvas->scissorRect(r);
    EXPECT_THAT(r, ElementsAre(0, 0, 0, 0));
}

TEST_F(CanvasTest, IterateFillsCanvasGeometryAndTime) {
    Probe* a = add(nullptr, 0, 0, -10, 50);
    fakeNow = 0;
    cycle();
    EXPECT_FLOAT_EQ(a->dGetRealPixCX(), 390);
    EXPECT_EQ(canvas->mvp * glm::vec4(400, 300, 0, 1), glm::vec4(1, -1, 0, 1));
    canvas->noIterate = true;
    a->dSetCX(-20);
    cycle();
    EXPECT_FLOAT_EQ(a->dGetRealPixCX(), 390);
    canvas->noIterate = false;
}

}  // namespace
}  // namespace koui
