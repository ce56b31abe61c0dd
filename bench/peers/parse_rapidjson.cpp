// The toolkit's parser against RapidJSON's DOM on the same tree.
//
// One generator (bench/theme_text.h) writes about 20 MB of theme text; the
// toolkit parses, preprocesses and processes it as the resource loader does,
// and the tree it builds is written out as JSON, so both parsers build the
// same tree: a block is an object keyed by its children's names, a parameter
// a string, a function value the string "name(parameters)", a flag null.
// RapidJSON then parses that JSON into its DOM (Document::Parse, default
// memory pool). Rounds alternate between the two; the table gives medians
// and ranges of the CPU time of this thread (on a shared machine the wall
// time mostly measures the other processes), and the memory each tree holds
// per node: for the
// toolkit the live heap the tree adds (the node-block cache emptied first,
// so its blocks count), for RapidJSON the bytes its allocators took.
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "bench/heap_counter.h"
#include "bench/theme_text.h"
#include "koui/res/node.h"
#include "koui/res/node_blocks.h"
#include "koui/res/srcfile.h"

namespace {

using koui::res::Node;

constexpr int kRounds = 7;

// RapidJSON's heap allocator, counting the bytes it holds.
struct CountingAllocator {
    static constexpr bool kNeedFree = true;
    static inline size_t live = 0;
    void* Malloc(size_t size) {
        if (!size) return nullptr;
        auto* p = static_cast<size_t*>(std::malloc(size + sizeof(size_t)));
        *p = size;
        live += size;
        return p + 1;
    }
    void* Realloc(void* original, size_t oldSize, size_t newSize) {
        if (!newSize) {
            Free(original);
            return nullptr;
        }
        void* fresh = Malloc(newSize);
        if (original)
            std::copy_n(static_cast<char*>(original), std::min(oldSize, newSize), static_cast<char*>(fresh));
        Free(original);
        return fresh;
    }
    static void Free(void* p) {
        if (!p) return;
        auto* header = static_cast<size_t*>(p) - 1;
        live -= *header;
        std::free(header);
    }
};

using Document =
    rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<CountingAllocator>,
                               CountingAllocator>;

bool load(Node& root, const std::vector<uint8_t>& text) {
    {
        koui::res::SrcFile src;
        if (!src.Process(&root, text)) return false;
    }
    root.Preprocess(0);
    if (root.OnProcess())
        for (Node* child : root.children) child->Process();
    return root.errors.empty();
}

size_t countNodes(const Node& root) {
    std::vector<const Node*> stack{&root};
    size_t count = 0;
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        ++count;
        stack.insert(stack.end(), node->children.begin(), node->children.end());
    }
    return count;
}

// The tree as JSON, iteratively (themes nest deeply enough for recursion to matter).
std::string toJson(const Node& root) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> out(buffer);
    struct Item {
        const Node* node;
        size_t next;  // next child to write
    };
    std::vector<Item> stack{{&root, 0}};
    out.StartObject();
    std::string text;
    while (!stack.empty()) {
        Item& item = stack.back();
        if (item.next == item.node->children.size()) {
            out.EndObject();
            stack.pop_back();
            continue;
        }
        const Node* child = item.node->children[item.next++];
        out.Key(child->name.c_str(), static_cast<rapidjson::SizeType>(child->name.size()));
        if (!child->children.empty()) {
            out.StartObject();
            stack.push_back({child, 0});
        } else if (child->hasFunc()) {
            text = child->func + "(";
            for (int i = 0; i < child->getParCount(); ++i) (text += i ? "," : "") += child->getPar(i);
            text += ")";
            out.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
        } else if (!child->valueText.empty()) {
            out.String(child->valueText.c_str(), static_cast<rapidjson::SizeType>(child->valueText.size()));
        } else {
            out.Null();
        }
    }
    return {buffer.GetString(), buffer.GetSize()};
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Stats {
    double median, low, high;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

}  // namespace

int main() {
    const std::string themeText = koui::bench::makeThemeText(20u << 20);
    std::vector<uint8_t> text(themeText.begin(), themeText.end());
    text.push_back(10);  // as the loader holds a file

    // The toolkit's tree, its size, and the same tree as JSON.
    const size_t keptBlocks = koui::res::node_blocks::cacheLimit();
    koui::res::node_blocks::setCacheLimit(0);  // every block of the measured tree is new, so it counts
    const int64_t before = koui::bench::gLiveBytes;
    const size_t blocksBefore = koui::res::node_blocks::liveBlockCount();  // mapped outside the heap
    koui::bench::gCounting = true;
    auto root = std::make_unique<Node>("root");
    if (!load(*root, text)) {
        std::fprintf(stderr, "parse_rapidjson: the theme does not parse\n");
        return 1;
    }
    const double kouiBytes = static_cast<double>(koui::bench::gLiveBytes - before) +
                             static_cast<double>((koui::res::node_blocks::liveBlockCount() - blocksBefore) *
                                                 koui::res::node_blocks::kBlockSize);
    koui::bench::gCounting = false;
    koui::res::node_blocks::setCacheLimit(keptBlocks);
    const size_t nodes = countNodes(*root) - 1;  // the root is not in the file
    const std::string json = toJson(*root);
    root.reset();

    std::vector<double> kouiTimes, jsonTimes;
    double jsonBytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        double start = cpuSeconds();
        auto tree = std::make_unique<Node>("root");
        load(*tree, text);
        kouiTimes.push_back(cpuSeconds() - start);
        tree.reset();

        start = cpuSeconds();
        {
            Document doc;
            doc.Parse(json.c_str(), json.size());
            jsonTimes.push_back(cpuSeconds() - start);
            if (doc.HasParseError()) {
                std::fprintf(stderr, "parse_rapidjson: RapidJSON refuses the JSON (%d)\n",
                             doc.GetParseError());
                return 1;
            }
            jsonBytes = static_cast<double>(CountingAllocator::live);
        }
    }
    const Stats k = stats(kouiTimes), j = stats(jsonTimes);
    std::printf("parse: %.1f MB theme text, %.1f MB JSON, %zu nodes, %d interleaved rounds\n",
                static_cast<double>(text.size()) / 1e6, static_cast<double>(json.size()) / 1e6, nodes,
                kRounds);
    std::printf("%-34s %22s %22s %8s\n", "work", "ko-ui", "RapidJSON DOM", "ratio");
    std::printf("%-34s %8.1f ms (%5.1f-%5.1f) %8.1f ms (%5.1f-%5.1f) %7.2fx\n",
                "CPU: parse+preprocess+process / Parse", k.median * 1e3, k.low * 1e3, k.high * 1e3,
                j.median * 1e3, j.low * 1e3, j.high * 1e3, k.median / j.median);
    std::printf("%-34s %17.1f B/node %17.1f B/node %7.2fx\n", "memory of the tree", kouiBytes / nodes,
                jsonBytes / nodes, kouiBytes / jsonBytes);
    return 0;
}
