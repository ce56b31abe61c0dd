// The command line that every program of the toolkit shares (koui::App reads
// it; see app.h for what each option does):
//
//   --res DIR  --screenshot FILE.png  --frames N  --placement FILE
//   --timing  --log FILE
//
// plus the options an application declares itself, each with one value.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "koui/export.h"

namespace koui {

struct KOUI_API AppOptions {
    std::string resources;  // --res
    std::string screenshot;
    int frames = 0;  // 0: run until the windows are closed
    std::string placement;
    bool timing = false;
    std::string log;
    std::map<std::string, std::string> extra;  // declared options given

    // The usage line of the shared options.
    static constexpr const char* kUsage =
        "[--res DIR] [--screenshot FILE.png] [--frames N] [--placement FILE] [--timing] [--log FILE]";

    // Reads argv[1..]; `declared` lists the application's own options
    // ("--page"). False with the reason in `error` ("unknown option
    // \"--x\"", "--frames wants a count from 1 to 1000000, not \"0\"").
    // A screenshot without --frames sets frames to 30.
    bool parse(int argc, char** argv, const std::vector<std::string>& declared, std::string& error);
};

}  // namespace koui
