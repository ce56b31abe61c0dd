// Resource definition text from arbitrary bytes: parse as the loader does
// (byte 10 appended), then preprocess, process, print the tree to a sink that
// drops it, build the report and run the getters on every node it lists.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "koui/family/appmsg.h"
#include "koui/res/node.h"
#include "koui/res/srcfile.h"

using namespace ko::log;

namespace {
void dropLine(const char*, void*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        appSetMsgSink(dropLine, nullptr);
        return true;
    }();
    (void)quiet;

    std::vector<uint8_t> bytes(data, data + size);
    bytes.push_back(10);

    koui::res::Node root("root");
    koui::res::SrcFile src;
    src.Process(&root, bytes);
    // Also after a failed parse: the nodes made until the error stay and
    // must be just as safe to walk.
    root.Preprocess(0);
    root.Process();
    root.Load();
    root.logtree(0);

    std::vector<koui::res::e_repitem> rows;
    root.generateReport(rows, 0);
    std::vector<int> ints;
    int array[4];
    for (const auto& row : rows) {
        root.findNodeFromRoot(row.path);
        root.colorvec4(row.path);
        row.node->value1i(row.node->name, 0);
        row.node->value1f(row.node->name, 0.0f);
        row.node->valueiv(ints, row.node->name, 0, -1);
        row.node->valueiv(array, row.node->name, 4, -1);
        row.node->getIntPar(0, 0);
        row.node->getFloatPar(1, 0.0f);
    }
    return 0;
}
