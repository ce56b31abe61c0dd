// Worker threads: suspended start, priorities without privileges, timed
// waits and exit codes.
#include "koui/platform/threads.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>

#include "koui/platform/win32_names.h"

namespace {

std::atomic<int> ran{0};
std::atomic<int> observedNice{100};

DWORD countAndReturn(LPVOID p) {
    ++ran;
    observedNice = getpriority(PRIO_PROCESS, 0);
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(p));
}

TEST(platformThreads, SuspendedThreadRunsOnlyAfterResume) {
    ran = 0;
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, &countAndReturn, reinterpret_cast<LPVOID>(42), CREATE_SUSPENDED, &id);
    ASSERT_NE(h, nullptr);
    EXPECT_NE(id, 0u);
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
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_EQ(ResumeThread(h), 0xFFFFFFFFu);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Raising succeeds where the process may not raise (the thread then keeps
// the default, never lower); lowering is applied.
TEST(platformThreads, PrioritiesAreAppliedAtResume) {
    const int base = getpriority(PRIO_PROCESS, 0);
    for (int priority : {THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_LOWEST}) {
        SCOPED_TRACE(priority);
        HANDLE h = CreateThread(nullptr, 0, &countAndReturn, nullptr, CREATE_SUSPENDED, nullptr);
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(SetThreadPriority(h, priority));
        EXPECT_EQ(GetThreadPriority(h), priority);
        ResumeThread(h);
        ASSERT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
        if (priority == THREAD_PRIORITY_LOWEST) {
            EXPECT_EQ(observedNice.load(), std::min(base + 10, 19));
        } else {
            EXPECT_LE(observedNice.load(), base);
        }
        EXPECT_FALSE(SetThreadPriority(h, 12345)) << "not a priority";
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        CloseHandle(h);
    }
}

}  // namespace
