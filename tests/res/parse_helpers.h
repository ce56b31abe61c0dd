// Parsing helpers shared by the resource tests.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "koui/res/node.h"
#include "koui/res/srcfile.h"

namespace koui::test {

// The root's errors as "line: text".
inline std::vector<std::string> errorLines(const res::Node* root) {
    std::vector<std::string> out;
    for (const auto& e : root->errors) out.push_back(std::to_string(e.line) + ": " + e.text);
    return out;
}

struct Parsed {
    std::unique_ptr<res::Node> root = std::make_unique<res::Node>("root");
    bool ok = false;
    res::SrcFile src;

    res::Node* at(std::string_view path) const { return root->findNode(path); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const res::Node* child : root->children) out.push_back(child->name);
        return out;
    }
    std::vector<std::string> errors() const { return errorLines(root.get()); }
};

// Parses `text` as the loader does: one byte 10 appended.
inline std::unique_ptr<Parsed> parse(std::string text) {
    auto out = std::make_unique<Parsed>();
    text.push_back('\n');
    out->ok = out->src.Process(out->root.get(), std::string_view(text));
    return out;
}

inline std::vector<std::string> parameters(const res::Node* node) {
    std::vector<std::string> out;
    for (int i = 0; i < node->getParCount(); ++i) out.push_back(node->getPar(i));
    return out;
}

}  // namespace koui::test
