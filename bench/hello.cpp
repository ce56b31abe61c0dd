// Start-up and idle cost of the hello example, measured on the program
// itself under the X server of the moment.
//
// FirstSwap: from just before the process is spawned (on a settled X
// server, see kServerSettle) to the moment its first swap has returned
// (hello --timing --frames 1 prints the CLOCK_MONOTONIC time of that moment,
// the clock this program reads before spawning). Each round starts hello
// and the bare GL program raw_gl_window (a window, a clear, one swap) in
// turn, the order alternating; the counters are the medians of hello and of
// the bare program, their ranges, and the ratio of the medians. self_ms is
// hello's own figure: milliseconds since the kernel started the process (10
// ms steps).
//
// IdleWindow: the CPU time (user + system, all threads) of an unchanged
// hello window over kIdleSeconds, as a percentage of one core, with drawing
// on demand on and off (KOUI_DRAW_ON_DEMAND), in alternating rounds after
// kIdleSettle of start-up; medians and ranges of the rounds.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

int64_t nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// An X server finishes with a client for a while after it has gone: right
// after one disconnects, Xvfb took about 70 ms to answer the next client's
// connection (1-2 ms otherwise). Each run waits that out first, so that a
// start is not charged with the previous run's clean-up.
constexpr auto kServerSettle = std::chrono::milliseconds(300);
constexpr auto kIdleSettle = std::chrono::milliseconds(1500);
constexpr double kIdleSeconds = 3.0;

struct Child {
    pid_t pid = -1;
    int out = -1;  // its standard output
};

// Starts `argv` with its standard output on a pipe and `env` added to the
// environment (null: none).
Child spawn(const char* const* argv, const char* env) {
    Child c;
    int out[2];
    if (pipe(out) != 0) return c;
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) envp.push_back(*e);
    if (env) envp.push_back(const_cast<char*>(env));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    if (posix_spawn(&c.pid, argv[0], &fa, nullptr, const_cast<char**>(argv), envp.data()) != 0) c.pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    c.out = out[0];
    return c;
}

std::string readAll(int fd) {
    std::string text;
    char buf[512];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    close(fd);
    return text;
}

// Spawn to first swap of `program` (with `args`) in milliseconds; negative
// when it failed. `self` takes the program's own figure.
double firstSwapMs(const char* program, std::vector<const char*> args, double* self) {
    std::this_thread::sleep_for(kServerSettle);
    args.insert(args.begin(), program);
    args.push_back(nullptr);
    const int64_t spawned = nowNs();
    const Child c = spawn(args.data(), nullptr);
    if (c.pid < 0) return -1;
    const std::string text = readAll(c.out);
    int status = 0;
    waitpid(c.pid, &status, 0);
    long long swapNs = 0;
    double selfMs = 0;
    const size_t at = text.find("first-swap ");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos ||
        std::sscanf(text.c_str() + at, "first-swap %lld %lf", &swapNs, &selfMs) != 2)
        return -1;
    if (self) *self = selfMs;
    return double(swapNs - spawned) * 1e-6;
}

// User + system seconds of a running process (/proc/PID/stat, fields 14, 15).
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14) ticks += std::stod(field);
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// CPU of an idle hello window as % of a core; negative when it failed.
double idlePercent(bool onDemand) {
    std::this_thread::sleep_for(kServerSettle);
    const char* argv[] = {KOUI_HELLO_PATH, nullptr};
    const Child c = spawn(argv, onDemand ? "KOUI_DRAW_ON_DEMAND=1" : "KOUI_DRAW_ON_DEMAND=0");
    if (c.pid < 0) return -1;
    std::this_thread::sleep_for(kIdleSettle);
    const double before = cpuSeconds(c.pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(kIdleSeconds));
    const double after = cpuSeconds(c.pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    kill(c.pid, SIGTERM);
    readAll(c.out);
    waitpid(c.pid, nullptr, 0);
    if (before < 0 || after < 0) return -1;
    return (after - before) / wall * 100.0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void report(benchmark::State& state, const std::string& name, const std::vector<double>& v) {
    state.counters[name] = median(v);
    state.counters[name + "_min"] = *std::min_element(v.begin(), v.end());
    state.counters[name + "_max"] = *std::max_element(v.begin(), v.end());
}

bool haveDisplay(benchmark::State& state) {
    const char* d = std::getenv("DISPLAY");
    if (d && *d) return true;
    state.SkipWithError("no X display (scripts/bench.sh runs the benchmarks under Xvfb)");
    return false;
}

void FirstSwap(benchmark::State& state) {
    if (!haveDisplay(state)) return;
    std::vector<double> hello, raw;
    double self = 0;
    for (auto _ : state) {
        double h = 0, r = 0;
        const bool helloFirst = hello.size() % 2 == 0;
        if (helloFirst) h = firstSwapMs(KOUI_HELLO_PATH, {"--timing", "--frames", "1"}, &self);
        r = firstSwapMs(KOUI_RAW_GL_PATH, {}, nullptr);
        if (!helloFirst) h = firstSwapMs(KOUI_HELLO_PATH, {"--timing", "--frames", "1"}, &self);
        if (h < 0 || r < 0) return state.SkipWithError(h < 0 ? "hello failed" : "raw_gl_window failed");
        state.SetIterationTime(h * 1e-3);
        hello.push_back(h);
        raw.push_back(r);
    }
    report(state, "hello_ms", hello);
    report(state, "raw_gl_ms", raw);
    state.counters["ratio"] = median(hello) / median(raw);
    state.counters["self_ms"] = self;  // of the last run
}
BENCHMARK(FirstSwap)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void IdleWindow(benchmark::State& state) {
    if (!haveDisplay(state)) return;
    std::vector<double> on, off;
    for (auto _ : state) {
        const bool onFirst = on.size() % 2 == 0;
        if (onFirst) on.push_back(idlePercent(true));
        off.push_back(idlePercent(false));
        if (!onFirst) on.push_back(idlePercent(true));
        if (on.back() < 0 || off.back() < 0) return state.SkipWithError("hello failed");
        state.SetIterationTime(kIdleSeconds);
    }
    report(state, "on_demand_pct", on);
    report(state, "continuous_pct", off);
}
BENCHMARK(IdleWindow)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
