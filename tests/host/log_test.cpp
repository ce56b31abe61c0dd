// Log objects and the log sink: error tags, time stamps, long lines, scope
// lines, the log file and whole lines from several threads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "koui/family/apptime.h"
#include "koui/host/log_obj.h"
#include "koui/host/log_sink.h"

using namespace ko::util;

namespace {

class Named : public ko::log::Obj {
public:
    const char* logObjName() override { return "koui::test::Named"; }
};

// Installs a callback collecting the lines without their time stamp.
class LogCapture {
public:
    LogCapture() {
        ko::log::setCallback([this](const char* line) {
            std::lock_guard guard(lock);
            stamped.emplace_back(line);
        });
    }
    ~LogCapture() { ko::log::setCallback({}); }

    std::vector<std::string> lines() {
        std::lock_guard guard(lock);
        std::vector<std::string> out;
        for (const auto& s : stamped) out.push_back(s.size() > 13 ? s.substr(13) : s);
        return out;
    }
    std::mutex lock;
    std::vector<std::string> stamped;
};

// The plain, OK, begin and end forms are checked with the window's log
// lines; here the error forms, and null formats that write nothing but keep
// the results.
TEST(LogObj, ErrorTagsAndNullFormats) {
    LogCapture capture;
    Named obj;
    EXPECT_FALSE(obj.logErrCode(42, "code %s", "x"));
    EXPECT_FALSE(obj.logErrCode(0, "no code"));
    EXPECT_FALSE(obj.logError("bad"));
    obj.logMsg(nullptr);
    EXPECT_FALSE(obj.logError(nullptr));
    EXPECT_FALSE(obj.logErrCode(3, nullptr));
    EXPECT_TRUE(obj.logOK(nullptr));
    obj.logBegin(nullptr);
    obj.logEnd(nullptr);
    ko::log::write(nullptr);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"[ERROR] <42> koui::test::Named : code x",
                                                         "[ERROR] koui::test::Named : no code",
                                                         "[ERROR] koui::test::Named : bad"}));
}

TEST(LogObj, StampIsSecondsSinceTimeBaseInTwelveColumns) {
    LogCapture capture;
    ko::log::setTimeBase(appGetTime() - 12.5);
    Named().logMsg("t");
    ko::log::setTimeBase(0.0);
    ASSERT_EQ(capture.stamped.size(), 1u);
    const std::string& line = capture.stamped[0];
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(      12\.5\d\d koui::test::Named : t)"))) << line;
}

TEST(LogObj, LongLinesAreCutAt2047Bytes) {
    LogCapture capture;
    const std::string longText(5000, 'a');
    Named().logMsg("%s", longText.c_str());
    ko::log::print("%s", longText.c_str());
    const std::string named = "koui::test::Named : ";
    EXPECT_EQ(capture.lines(),
              (std::vector{named + std::string(2047 - named.size(), 'a'), std::string(2047, 'a')}));
}

// With an object, as the window's log lines show; here without one.
TEST(ScopeLog, BeginAndEndLinesWithElapsedMilliseconds) {
    LogCapture capture;
    { ko::log::Obj::ScopeLog scope(nullptr, "orphan(%s,%d)", "a", 1); }
    // The end line is written when an exception leaves the scope as well.
    try {
        ko::log::Obj::ScopeLog scope(nullptr, "throws");
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 4u);
    const std::string patterns[] = {R"(\[BEGIN\]  : orphan\(a,1\))",
                                    R"(\[END  \]  : orphan\(a,1\) \(dt=\d+\.\d{3} ms\))",
                                    R"(\[BEGIN\]  : throws)", R"(\[END  \]  : throws \(dt=\d+\.\d{3} ms\))"};
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << lines[i];
}

TEST(LogSink, FileGetsCrLfLines) {
    const auto path = std::filesystem::temp_directory_path() / "koui_log_test.log";
    ASSERT_TRUE(ko::log::openFile(path.string()));
    Named().logOK("one");
    ko::log::print("Global / [BEGIN] util_StartOpenGLExt()");
    ko::log::closeFile();
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    EXPECT_TRUE(std::regex_match(
        content, std::regex(R"( +\d+\.\d{3} \[OK\] koui::test::Named : one\r\n)"
                            R"( +\d+\.\d{3} Global / \[BEGIN\] util_StartOpenGLExt\(\)\r\n)")))
        << content;
    EXPECT_FALSE(ko::log::openFile("/nonexistent-dir/x.log"));
}

TEST(LogSink, ConcurrentThreadsWriteWholeLines) {
    LogCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            Named obj;
            for (int i = 0; i < 200; ++i) obj.logMsg("thread %d line %d", t, i);
        });
    for (auto& th : threads) th.join();
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 800u);
    const std::regex whole(R"(koui::test::Named : thread \d line \d+)");
    for (const auto& l : lines) ASSERT_TRUE(std::regex_match(l, whole)) << l;
}

}  // namespace
