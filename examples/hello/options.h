// Command line of the hello example.
//
//   hello [--res DIR] [--screenshot FILE.png] [--frames N] [--placement FILE]
//         [--timing] [--log FILE]
//
// --res DIR          resource folder (default: resdata beside the program)
// --frames N         close the window after N drawn cycles
// --screenshot FILE  with --frames: write the frame of cycle N as a PNG
//                    first (default N: 30)
// --placement FILE   where the window's place is kept between runs
//                    (default: $XDG_CONFIG_HOME/koui/hello.ini, or
//                    ~/.config/koui/hello.ini; a run with --frames uses a
//                    fixed place and size unless this option is given)
// --log FILE         write the library's log lines (windows, workers, UI
//                    instance, with seconds since start) to FILE
// --timing           print "first-swap <ns> <ms>" once the first frame is
//                    swapped: the CLOCK_MONOTONIC time in nanoseconds and the
//                    milliseconds since the process started
#pragma once

#include <optional>
#include <string>

namespace hello {

struct Options {
    std::string resDir;
    std::string screenshot;
    int frames = 0;  // 0: run until the window is closed
    std::string placement;
    bool fixedPlace = false;  // ignore a stored placement
    bool timing = false;
    std::string log;
};

// Parses argv; on a usage error writes a message to stderr and returns
// nothing. `exeDir` is the folder of the program, for the defaults.
std::optional<Options> parseOptions(int argc, char** argv, const std::string& exeDir);

}  // namespace hello
