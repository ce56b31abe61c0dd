#include "koui/family/kox_dib.h"

#include <gtest/gtest.h>

#include "tests/support/appmsg_capture.h"

using namespace ko::gl;

namespace {

using koui::test::AppMsgCapture;

TEST(KoxDib, ZeroedRowsPaddedToFourBytes) {
    CstgDibSection8 mask;
    ASSERT_EQ(mask.Create(5, 3), KOX_OK);
    EXPECT_EQ(mask.GetWidth(), 5);
    EXPECT_EQ(mask.GetHeight(), 3);
    EXPECT_EQ(mask.GetPitch(), 8);
    for (int i = 0; i < 8 * 3; ++i) EXPECT_EQ(mask.GetBits()[i], 0);
    mask.GetRow(2)[4] = 200;
    EXPECT_EQ(mask.GetBits()[2 * 8 + 4], 200);

    CstgDibSectionEx dib;
    ASSERT_EQ(dib.Create(3, 2, 24), KOX_OK);
    EXPECT_EQ(dib.GetPitch(), 12);  // 9 bytes rounded up
    EXPECT_EQ(dib.GetBpp(), 24);
    ASSERT_EQ(dib.Create(3, 2), KOX_OK);
    EXPECT_EQ(dib.GetPitch(), 12);
    EXPECT_EQ(dib.GetBpp(), 32);
}

TEST(KoxDib, InvalidSizesDepthsAndFilesAreRefused) {
    AppMsgCapture capture;
    CstgDibSection8 mask;
    EXPECT_EQ(mask.Create(0, 4), KOX_ERROR);
    EXPECT_EQ(mask.Create(4, 70000), KOX_ERROR);
    CstgDibSectionEx dib;
    EXPECT_EQ(dib.Create(4, 4, 16), KOX_ERROR);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                   "[ERROR] CstgDibSection8: invalid size 0x4",
                                   "[ERROR] CstgDibSection8: invalid size 4x70000",
                                   "[ERROR] CstgDibSectionEx: 16 bits per pixel not supported (24 or 32)",
                               }));
    capture.clear();
    EXPECT_EQ(dib.CreateFromFile(KOUI_SOURCE_DIR "/no/such/file.png"), KOX_ERROR);
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"[ERROR] kox: cannot open file " KOUI_SOURCE_DIR "/no/such/file.png"});
}

}  // namespace
