// Start-up and idle cost of the hello example, measured on the program
// itself under the X server of the moment.
//
// FirstSwap: from just before the process is spawned (on a settled X
// server, see kServerSettle) to the moment its GL
// worker has swapped the first frame (hello --timing --frames 2 prints the
// CLOCK_MONOTONIC time of that moment, the same clock this program reads
// before spawning). The counter self_ms is hello's own figure: milliseconds
// since the kernel started the process (10 ms steps).
//
// IdleCyclePerFrame: the CPU time (user + system, all threads) of one GL
// cycle of an idle window: hello runs once for 30 and once for 330 cycles,
// and the difference of the two processes' CPU times, divided by 300, is the
// manual time; wall_ms is the wall time per cycle in the same way (the frame
// pacing of the window shows there).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

struct Run {
    bool ok = false;
    double firstSwapMs = 0;  // spawn to first swap
    double selfMs = 0;       // hello's own figure
    double cpuS = 0;         // user + system time of the whole process
    double wallS = 0;
    std::string error;
};

// An X server finishes with a client for a while after it has gone: right
// after one disconnects, Xvfb took about 70 ms to answer the next client's
// connection (1-2 ms otherwise). Each run waits that out first, so that a
// start is not charged with the previous run's clean-up.
constexpr auto kServerSettle = std::chrono::milliseconds(300);

// Runs hello for `frames` cycles (with --timing) and waits for it.
Run runHello(int frames) {
    std::this_thread::sleep_for(kServerSettle);
    Run r;
    auto fail = [&r](std::string why) {
        r.error = std::move(why);
        return r;
    };
    int out[2];
    if (pipe(out) != 0) return fail("pipe failed");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    const std::string count = std::to_string(frames);
    const char* argv[] = {KOUI_HELLO_PATH, "--timing", "--frames", count.c_str(), nullptr};
    pid_t pid = -1;
    const int64_t spawned = nowNs();
    const int rc = posix_spawn(&pid, KOUI_HELLO_PATH, &fa, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return fail("cannot start " KOUI_HELLO_PATH);
    }
    std::string text;
    char buf[512];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    close(out[0]);
    int status = 0;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    r.wallS = double(nowNs() - spawned) * 1e-9;
    r.cpuS = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
             double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
    long long swapNs = 0;
    const size_t at = text.find("first-swap ");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos ||
        std::sscanf(text.c_str() + at, "first-swap %lld %lf", &swapNs, &r.selfMs) != 2)
        return fail("hello failed (no X display?): " + text);
    r.firstSwapMs = double(swapNs - spawned) * 1e-6;
    r.ok = true;
    return r;
}

bool haveDisplay(benchmark::State& state) {
    const char* d = std::getenv("DISPLAY");
    if (d && *d) return true;
    state.SkipWithError("no X display (scripts/bench.sh runs the benchmarks under Xvfb)");
    return false;
}

void FirstSwap(benchmark::State& state) {
    if (!haveDisplay(state)) return;
    double self = 0;
    for (auto _ : state) {
        const Run r = runHello(2);
        if (!r.ok) {
            state.SkipWithError(r.error.c_str());
            return;
        }
        state.SetIterationTime(r.firstSwapMs * 1e-3);
        self += r.selfMs;
    }
    state.counters["self_ms"] = benchmark::Counter(self, benchmark::Counter::kAvgIterations);
}
BENCHMARK(FirstSwap)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void IdleCyclePerFrame(benchmark::State& state) {
    if (!haveDisplay(state)) return;
    constexpr int kShort = 30, kLong = 330;
    double wall = 0;
    for (auto _ : state) {
        const Run a = runHello(kShort), b = runHello(kLong);
        if (!a.ok || !b.ok) {
            state.SkipWithError((a.ok ? b : a).error.c_str());
            return;
        }
        state.SetIterationTime(std::max(0.0, b.cpuS - a.cpuS) / (kLong - kShort));
        wall += (b.wallS - a.wallS) / (kLong - kShort) * 1e3;
    }
    state.counters["wall_ms"] = benchmark::Counter(wall, benchmark::Counter::kAvgIterations);
}
BENCHMARK(IdleCyclePerFrame)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
