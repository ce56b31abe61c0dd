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
    // Type names compare without regard to case; ids and modules exactly.
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 101, "rmdef", &size), bytes);
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 102, "RMDEF", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(2), 101, "RMDEF", &size), nullptr);
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 101, "PNG", nullptr), nullptr);
    EXPECT_EQ(stmmGeneralGetResourceVector(moduleKey(1), 101, nullptr, &size), nullptr);
}

TEST(ModuleResources, TheNullModuleIsTheProgramItself) {
    const uint8_t data[3] = {1, 2, 3};
    ASSERT_TRUE(stmmRegisterResource(nullptr, 7, "TESTBLOB", data, sizeof data));
    size_t size = 0;
    const uint8_t* bytes = stmmGeneralGetResourceVector(nullptr, 7, "TESTBLOB", &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_NE(bytes, data) << "the registry keeps its own copy";
    EXPECT_TRUE(stmmUnregisterResource(nullptr, 7, "testblob"));
    EXPECT_EQ(stmmGeneralGetResourceVector(nullptr, 7, "TESTBLOB", &size), nullptr);
    EXPECT_FALSE(stmmUnregisterResource(nullptr, 7, "TESTBLOB"));
}

TEST(ModuleResources, ARegisteredResourceIsNeverReplaced) {
    AppMsgCapture capture;
    ASSERT_TRUE(stmmRegisterResource(moduleKey(3), 5, "PNG", "first", 5));
    EXPECT_FALSE(stmmRegisterResource(moduleKey(3), 5, "png", "second", 6));
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"[ERROR] stmmRegisterResource: resource 5 (png) exists already"});
    size_t size = 0;
    stmmGeneralGetResourceVector(moduleKey(3), 5, "PNG", &size);
    EXPECT_EQ(size, 5u);
}

TEST(ModuleResources, InvalidRegistrationsAreRefused) {
    AppMsgCapture capture;
    EXPECT_FALSE(stmmRegisterResource(moduleKey(4), 1, nullptr, "x", 1));
    EXPECT_FALSE(stmmRegisterResource(moduleKey(4), 1, "", "x", 1));
    EXPECT_FALSE(stmmRegisterResource(moduleKey(4), 1, "BIN", nullptr, 4));
    EXPECT_EQ(capture.lines().size(), 3u);
    EXPECT_TRUE(capture.contains("[ERROR] stmmRegisterResource: resource 1 (BIN) has no data"));
    // An empty blob is a resource all the same.
    ASSERT_TRUE(stmmRegisterResource(moduleKey(4), 2, "BIN", nullptr, 0));
    size_t size = 99;
    EXPECT_NE(stmmGeneralGetResourceVector(moduleKey(4), 2, "BIN", &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(ModuleResources, ConcurrentRegistrationAndLookupKeepEveryBlob) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                const int value = t * 1000 + i;
                stmmRegisterResource(moduleKey(5), value, "NUM", &value, sizeof value);
                size_t size = 0;
                const uint8_t* bytes = stmmGeneralGetResourceVector(moduleKey(5), t * 1000, "NUM", &size);
                EXPECT_NE(bytes, nullptr);
            }
        });
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 200; ++i) {
            size_t size = 0;
            const auto* bytes = stmmGeneralGetResourceVector(moduleKey(5), t * 1000 + i, "NUM", &size);
            ASSERT_NE(bytes, nullptr);
            ASSERT_EQ(size, sizeof(int));
            int value = 0;
            std::memcpy(&value, bytes, sizeof value);
            EXPECT_EQ(value, t * 1000 + i);
        }
}

}  // namespace
