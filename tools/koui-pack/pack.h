// koui-pack's commands behind its main(), so that the fuzz target runs the
// very code of the tool on its archives.
#pragma once

#include <string>
#include <vector>

// Runs the command line `args` (without the program name) and returns the
// exit status; see the tool's --help text.
int packTool(const std::vector<std::string>& args);
