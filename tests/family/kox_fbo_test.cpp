#include "koui/family/kox_fbo.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "koui/family/kox_rect.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

using namespace ko::gl;

namespace {

using koui::test::AppMsgCapture;
using koui::test::GlTest;
using koui::test::Rgba;
using KoxFbo = GlTest;

const Rgba kRed{255, 0, 0};
const Rgba kBlue{0, 0, 255};
const Rgba kBlack{0, 0, 0};

TEST_F(KoxFbo, DrawnContentComesBackTheRightWayUp) {
    CkoxGL_FBO fbo;
    ASSERT_EQ(fbo.Create(64, 32, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    EXPECT_EQ(fbo.GetWidth(), 64);
    EXPECT_EQ(fbo.GetHeight(), 32);
    EXPECT_EQ(fbo.GetTexture().GetFormat(), GL_RGB);
    ASSERT_TRUE(fbo.Begin2D(0, 0, 1, 1));
    koxGL_FillRect(0, 0, 10, 5, 1.0, 0.0, 0.0, 1.0);  // top left in the frame buffer
    fbo.End(nullptr);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_EQ(viewport[3], kHeight);
    // The window's projection and model-view are back: this lands at (100, 50).
    glTranslated(100, 50, 0);
    fbo.GetTexture().Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(100, 50, 10, 5, kRed));
    EXPECT_TRUE(regionIs(110, 50, 54, 32, kBlue));
    EXPECT_TRUE(regionIs(100, 55, 10, 27, kBlue));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 64 * 32);
}

TEST_F(KoxFbo, BeginClearsTheWholeBufferEvenUnderAScissor) {
    CkoxGL_FBO fbo;
    ASSERT_EQ(fbo.Create(16, 16, 1, 1, GL_RGBA, 0, 0), KOX_OK);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 2, 2);
    ASSERT_TRUE(fbo.Begin2D(1, 0, 0, 1));
    fbo.End(nullptr);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST)) << "End restores the scissor";
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[2], 2);
    glDisable(GL_SCISSOR_TEST);
    fbo.GetTexture().Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(0, 0, 16, 16, kRed));
}

TEST_F(KoxFbo, FrameBuffersNest) {
    CkoxGL_FBO outer;
    CkoxGL_FBO inner;
    ASSERT_EQ(outer.Create(32, 32, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    ASSERT_EQ(inner.Create(8, 8, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    ASSERT_TRUE(outer.Begin2D(0, 0, 1, 1));
    ASSERT_TRUE(inner.Begin2D(1, 0, 0, 1));
    inner.End(nullptr);  // back into the outer frame buffer, with its projection
    glTranslated(4, 4, 0);
    inner.GetTexture().Draw(1, 1, 1, 1);
    outer.End(nullptr);
    outer.GetTexture().Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(4, 4, 8, 8, kRed));
    EXPECT_TRUE(regionIs(12, 4, 20, 8, kBlue));
    EXPECT_TRUE(regionIs(0, 0, 32, 4, kBlue));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 32 * 32);
}

TEST_F(KoxFbo, Set2DReappliesTheProjectionAfterOtherDrawing) {
    CkoxGL_FBO fbo;
    ASSERT_EQ(fbo.Create(20, 10, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    ASSERT_TRUE(fbo.Begin2D(0, 0, 0, 1));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();  // someone else's projection
    glMatrixMode(GL_MODELVIEW);
    glTranslated(7, 7, 0);
    fbo.Set2D(-1, -1);
    koxGL_FillRect(19, 9, 1, 1, 0.0, 0.0, 1.0, 1.0);  // the bottom right pixel
    fbo.End(nullptr);
    fbo.GetTexture().Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(19, 9, 1, 1, kBlue));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 1);
}

TEST_F(KoxFbo, RecreatingChangesTheSize) {
    CkoxGL_FBO fbo;
    ASSERT_EQ(fbo.Create(10, 10, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    ASSERT_EQ(fbo.Create(30, 20, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    EXPECT_EQ(fbo.GetTexture().GetWidth(), 30);
    EXPECT_EQ(fbo.GetTexture().GetHeight(), 20);
}

TEST_F(KoxFbo, InvalidRequestsAreRefused) {
    AppMsgCapture capture;
    CkoxGL_FBO fbo;
    EXPECT_EQ(fbo.Create(0, 10, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_ERROR);
    EXPECT_EQ(fbo.Create(10, 10, 0, 0, GL_RED, GL_TEXTURE_2D, 0), KOX_ERROR);
    EXPECT_FALSE(fbo.Begin2D(0, 0, 0, 1));
    fbo.End(nullptr);  // harmless
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"[ERROR] CkoxGL_FBO: invalid size 0x10",
                                        "[ERROR] CkoxGL_FBO: colour format 0x1903 is not supported"}));
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

}  // namespace
