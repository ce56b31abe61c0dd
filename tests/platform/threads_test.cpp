// Worker threads: suspended start, priorities, timed waits and exit codes.
#include "koui/platform/threads.h"

#include <gtest/gtest.h>

#include <atomic>

#include "koui/platform/win32_names.h"

namespace {

std::atomic<int> ran{0};

DWORD countAndReturn(LPVOID p) {
    ++ran;
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(p));
}

TEST(platformThreads, SuspendedThreadRunsOnlyAfterResume) {
    ran = 0;
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, &countAndReturn, reinterpret_cast<LPVOID>(42), CREATE_SUSPENDED, &id);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(id, 0u);
    // The window thread asks for the highest priority; without the privilege
    // to raise it the request still succeeds.
    EXPECT_TRUE(SetThreadPriority(h, THREAD_PRIORITY_HIGHEST));
    EXPECT_FALSE(SetThreadPriority(h, 12345)) << "not a priority";
    EXPECT_EQ(WaitForSingleObject(h, 50), WAIT_TIMEOUT) << "a suspended thread does not finish";
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(std::tuple(ran.load(), code), std::tuple(0, STILL_ACTIVE));
    EXPECT_EQ(ResumeThread(h), 1u);
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(std::tuple(ran.load(), code), std::tuple(1, 42u));
    EXPECT_EQ(ResumeThread(h), 0u) << "resuming a running or ended thread reports count 0";
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(std::tuple(CloseHandle(h), WaitForSingleObject(h, 0), ResumeThread(h)),
              std::tuple(BOOL{0}, WAIT_FAILED, 0xFFFFFFFFu));
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
