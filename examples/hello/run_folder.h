// The working folder of a window's GL worker.
//
// A window's worker opens its resources at the fixed places "resdata" and
// "res.koc" in the process's current folder, and removes a "res.koc" there
// when it starts. To show any resource folder without touching the user's
// files, the application moves into a private folder made for this run,
// whose "resdata" is a link to the folder asked for; the folder goes away
// with the object.
#pragma once

#include <filesystem>
#include <string>

namespace hello {

class RunFolder {
public:
    RunFolder() = default;
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // Makes the folder, links "resdata" to `resDir` and changes into it.
    // On failure returns false with a message in `error`.
    bool enter(const std::string& resDir, std::string& error);

private:
    std::filesystem::path folder_;
    std::filesystem::path previous_;
};

}  // namespace hello
