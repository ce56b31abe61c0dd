#include "koui/family/module_resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "koui/platform/win32_names.h"
#include "tests/support/appmsg_capture.h"

using namespace ko::util;

namespace {

using koui::test::AppMsgCapture;

// Each test uses its own module key so that tests never see each other's blobs.
HINSTANCE moduleKey(int n) {
    static char keys[16];
    return reinterpret_cast<HINSTANCE>(&keys[n]);
}

TEST(ModuleResources, RegisteredBytesComeBackByModuleIdAndType) {
    const std::string text = "#source,!file,a.png";
    ASSERT_TRUE(stmmRegisterResource(moduleKey(1), 101, "RMDEF", text.data(), text.size()));
    size_t size = 0;
    const uint8_t* bytes = stmmGeneralGetResourceVector(moduleKey(1), 101, "RMDEF", &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), size), text);
    EXPECT_NE(bytes, reinterpret_cast<const uint8_t*>(text.data())) << "the registry keeps its own copy";
    // Type names compare without regard to case; ids and modules exactly.
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 101, "rmdef", &size), bytes);
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 102, "RMDEF", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(2), 101, "RMDEF", &size), nullptr);
    EXPECT_EQ(stmmGeneralGetResourceVector(nullptr, 101, "RMDEF", &size), nullptr) << "the program itself";
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 101, "PNG", nullptr), nullptr);
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 101, nullptr, &size), nullptr);
    EXPECT_TRUE(stmmUnregisterResource(moduleKey(1), 101, "rmdef"));
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 101, "RMDEF", &size), nullptr);
    EXPECT_FALSE(stmmUnregisterResource(moduleKey(1), 101, "RMDEF"));
}

TEST(ModuleResources, InvalidOrRepeatedRegistrationsAreRefused) {
    AppMsgCapture capture;
    ASSERT_TRUE(stmmRegisterResource(moduleKey(3), 5, "PNG", "first", 5));
    EXPECT_FALSE(stmmRegisterResource(moduleKey(3), 5, "png", "second", 6)) << "never replaced";
    EXPECT_FALSE(stmmRegisterResource(moduleKey(4), 1, nullptr, "x", 1));
    EXPECT_FALSE(stmmRegisterResource(moduleKey(4), 1, "", "x", 1));
    EXPECT_FALSE(stmmRegisterResource(moduleKey(4), 1, "BIN", nullptr, 4));
    EXPECT_EQ(capture.lines().size(), 4u);
    EXPECT_EQ(capture.lines()[0], "[ERROR] stmmRegisterResource: resource 5 (png) exists already");
    EXPECT_EQ(capture.lines()[3], "[ERROR] stmmRegisterResource: resource 1 (BIN) has no data");
    size_t size = 0;
    stmmGeneralGetResourceVector(moduleKey(3), 5, "PNG", &size);
    EXPECT_EQ(size, 5u);
    // An empty blob is a resource all the same.
    ASSERT_TRUE(stmmRegisterResource(moduleKey(4), 2, "BIN", nullptr, 0));
    size = 99;
    EXPECT_NE(stmmGeneralGetResourceVector(moduleKey(4), 2, "BIN", &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(ModuleResources, ConcurrentRegistrationsKeepEveryBlob) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int value = t * 100; value < t * 100 + 100; ++value)
                stmmRegisterResource(moduleKey(5), value, "NUM", &value, sizeof value);
        });
    for (auto& th : threads) th.join();
    for (int value = 0; value < 400; ++value) {
        const auto* bytes = stmmGeneralGetResourceVector(moduleKey(5), value, "NUM", nullptr);
        ASSERT_TRUE(bytes && std::memcmp(bytes, &value, sizeof value) == 0) << value;
    }
}

}  // namespace
