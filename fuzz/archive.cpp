// Untrusted archive bytes through the resource instance's archive mode, as an
// application opens its shipped "res.koc": the instance reads its main
// definition file "res.kor" from the archive, builds and processes the tree,
// and every image source reads and decodes its image from the archive (the
// GL-free half of loading).
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "koui/family/appmsg.h"
#include "koui/res/imgsrc.h"
#include "koui/res/instance.h"

using namespace ko::log;

namespace {

void discard(const char*, void*) {}

void loadImages(koui::res::Node* root) {
    std::vector<koui::res::Node*> stack{root};
    while (!stack.empty()) {
        koui::res::Node* node = stack.back();
        stack.pop_back();
        if (auto* src = dynamic_cast<koui::res::ImgSrc*>(node)) {
            std::vector<uint8_t> pixels;
            src->LoadPixels(pixels);
        }
        stack.insert(stack.end(), node->children.begin(), node->children.end());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (appSetMsgSink(discard, nullptr), true);
    (void)quiet;
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("koui_fuzz_archive_" + std::to_string(::getpid()) + ".koc");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    {
        // A root folder that does not exist: without a usable archive nothing
        // may be read from the fuzzer's working folder.
        koui::res::Instance instance("/nonexistent/", path.string());
        // Images load after a failed step too, as koui-check loads them.
        instance.LoadDefinitions("res.kor", false);
        loadImages(instance.getRoot());
    }
    std::filesystem::remove(path);
    return 0;
}
