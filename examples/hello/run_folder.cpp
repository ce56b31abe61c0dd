#include "run_folder.h"

#include <cstdlib>
#include <system_error>
#include <vector>

namespace hello {

namespace fs = std::filesystem;

bool RunFolder::enter(const std::string& resDir, std::string& error) {
    std::error_code ec;
    const fs::path res = fs::absolute(resDir, ec);
    if (ec || !fs::is_directory(res, ec)) {
        error = "resource folder not found: " + resDir;
        return false;
    }
    if (!fs::exists(res / "res.kor", ec)) {
        error = "no res.kor in the resource folder " + resDir;
        return false;
    }
    std::string pattern = (fs::temp_directory_path(ec) / "koui-hello-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) {
        error = "cannot make a working folder under " + fs::temp_directory_path(ec).string();
        return false;
    }
    folder_ = buf.data();
    fs::create_directory_symlink(res, folder_ / "resdata", ec);
    if (!ec) {
        previous_ = fs::current_path(ec);
        if (!ec) fs::current_path(folder_, ec);
    }
    if (ec) {
        error = "cannot prepare " + folder_.string() + ": " + ec.message();
        return false;
    }
    return true;
}

RunFolder::~RunFolder() {
    if (folder_.empty()) return;
    std::error_code ec;
    if (!previous_.empty()) fs::current_path(previous_, ec);
    // remove_all removes the link, never what it points to.
    fs::remove_all(folder_, ec);
}

}  // namespace hello
