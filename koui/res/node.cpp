#include "koui/res/node.h"

#include <cxxabi.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <typeinfo>
#include <utility>

#include "koui/family/appmsg.h"
#include "koui/res/color.h"
#include "koui/res/font.h"
#include "koui/res/imgsection.h"
#include "koui/res/imgsrc.h"
#include "koui/res/instance.h"
#include "koui/res/value_text.h"

using namespace ko::log;

namespace koui::res {

namespace {

constexpr int kMaxLogIndentLevels = 64;
constexpr size_t kMaxErrorText = 1023;

float gNoColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};

// Calls `visit(piece)` for each piece of `path` split at '.', with the
// standard line split: an empty piece between two dots counts, a trailing
// empty piece does not. Stops early when `visit` returns false.
template <class Visit>
bool forEachPiece(std::string_view path, Visit visit) {
    size_t begin = 0;
    while (begin < path.size()) {
        size_t dot = path.find('.', begin);
        if (dot == std::string_view::npos) dot = path.size();
        if (!visit(path.substr(begin, dot - begin))) return false;
        begin = dot + 1;
    }
    return true;
}

// A new T named `name`: in `hole` (a freed node slot, see Preprocess) when
// it fits there, and `hole` is then used up; else from the node blocks.
template <class T>
Node* makeTyped(std::string_view name, void*& hole) {
    if (hole && node_blocks::capacity(hole) >= sizeof(T)) {
        std::string copy(name);  // may throw: before the slot is taken
        Node* typed = ::new (hole) T(std::move(copy));
        hole = nullptr;
        return typed;
    }
    return new T(std::string(name));
}

// The typed class preprocessing gives `node`, or null to keep it plain. The
// rules, first match wins: a colour (Color::isClass), then a childless child
// "imgsrc" (ImgSrc::isClass), "img" (ImgSection::isClass), "font"
// (Font::isClass). The three flag tests share one pass over the children.
Node* chooseTyped(const Node* node, void*& hole) {
    if (Color::isClass(node)) return makeTyped<Color>(node->name, hole);
    if (node->children.empty()) return nullptr;
    bool img = false;
    bool font = false;
    for (const Node* child : node->children) {
        if (!child->children.empty()) continue;
        if (child->name == "imgsrc") return makeTyped<ImgSrc>(node->name, hole);
        img = img || child->name == "img";
        font = font || child->name == "font";
    }
    if (img) return makeTyped<ImgSection>(node->name, hole);
    if (font) return makeTyped<Font>(node->name, hole);
    return nullptr;
}

template <class Out, class Convert>
void fillFromPieces(const ko::util::StrPar& pieces, int count, Out def, Convert convert, Out* out) {
    if (count < 1) count = pieces.count();
    for (int i = 0; i < count; ++i) {
        const std::string* piece = pieces.at(i);
        out[i] = piece ? convert(piece->c_str()) : def;
    }
}

template <class Out, class Convert>
void appendFromPieces(const ko::util::StrPar& pieces, int count, Out def, Convert convert,
                      std::vector<Out>& out) {
    if (count < 1) count = pieces.count();
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string* piece = pieces.at(i);
        out.push_back(piece ? convert(piece->c_str()) : def);
    }
}

int atoiPiece(const char* s) {
    return std::atoi(s);
}
float atofPiece(const char* s) {
    return static_cast<float>(std::atof(s));
}

}  // namespace

const std::vector<SrcLine>& ErrorList::entries() const {
    static const std::vector<SrcLine> none;
    return list_ ? *list_ : none;
}

const std::string& FuncName::empty_() {
    static const std::string none;
    return none;
}

FuncName& FuncPars::owner() const {
    // Node is not standard-layout (it has virtual functions), but it has no
    // virtual base either, so each member sits at one fixed offset.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    constexpr std::size_t offset = offsetof(Node, pars);
#pragma GCC diagnostic pop
    auto* node = reinterpret_cast<Node*>(reinterpret_cast<std::uintptr_t>(this) - offset);
    return node->func;
}

const ko::util::StrPar& FuncPars::list() const {
    static const ko::util::StrPar none;
    const FuncName& name = owner();
    return name.data_ ? name.data_->pars : none;
}

void* Node::operator new(std::size_t size) {
    return node_blocks::allocate(std::max(size, sizeof(Color)));
}

Node::Node(std::string_view nodeName) : name(nodeName) {}

Node::Node(std::string_view nodeName, const SrcLine* src) : line(src ? src->line : 0), name(nodeName) {}

Node::~Node() {
    // Deleting children one by one through the recursion of destructors
    // would use stack in proportion to the depth. Instead this node takes
    // over every descendant's list and deletes them childless. Children go
    // on the stack last first, so nodes die in source order: the order they
    // were made in, which is also their order in memory (node_blocks.h).
    std::vector<Node*> pending(children.rbegin(), children.rend());
    children.clear();
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), node->children.rbegin(), node->children.rend());
        node->children.clear();
        delete node;
    }
}

Node* Node::add(Node* child) {
    if (!child) return nullptr;
    children.push_back(child);
    child->parent = this;
    child->instance = instance;
    return child;
}

void Node::setParent(Node* newParent) {
    parent = newParent;
    instance = newParent ? newParent->instance : nullptr;
}

Node* Node::getRoot() {
    Node* node = this;
    while (node->parent) node = node->parent;
    return node;
}

const Node* Node::getRoot() const {
    const Node* node = this;
    while (node->parent) node = node->parent;
    return node;
}

void Node::setFunc(std::string functionName, ko::util::StrPar parameters) {
    func = std::move(functionName);
    pars = std::move(parameters);
}

std::string Node::getPath() const {
    std::vector<const Node*> chain;
    size_t length = 0;
    for (const Node* node = this; node->parent; node = node->parent) {
        chain.push_back(node);
        length += node->name.size() + 1;
    }
    std::string path;
    path.reserve(length);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin()) path.push_back('.');
        path += (*it)->name;
    }
    return path;
}

bool Node::IsEqual(const Node* other) const {
    if (!other) return false;
    if (name != other->name || valueText != other->valueText || func != other->func) return false;
    const int count = pars.count();
    if (count != other->pars.count()) return false;
    for (int i = 0; i < count; ++i)
        if (*pars.at(i) != *other->pars.at(i)) return false;
    return true;
}

bool Node::Copy(const Node* other) {
    if (!other) return false;
    if (other == this) return true;
    name = other->name;
    valueText = other->valueText;
    func = other->func;
    pars = ko::util::StrPar(other->pars.items(), pars.start());
    return true;
}

int Node::getIntPar(int i, int def) const {
    const std::string* par = pars.at(i);
    return par ? std::atoi(par->c_str()) : def;
}

float Node::getFloatPar(int i, float def) const {
    const std::string* par = pars.at(i);
    return par ? static_cast<float>(std::atof(par->c_str())) : def;
}

Node* Node::getByName(std::string_view n) const {
    for (Node* child : children)
        if (child->name == n) return child;
    return nullptr;
}

Node* Node::findNode(std::string_view path) const {
    const Node* node = this;
    bool any = false;
    const bool found = forEachPiece(path, [&](std::string_view piece) {
        any = true;
        node = node->getByName(piece);
        return node != nullptr;
    });
    return found && any ? const_cast<Node*>(node) : nullptr;
}

Node* Node::findNodeFromNode(std::string_view path, const Node* from) const {
    return (from ? from : getRoot())->findNode(path);
}

Node* Node::getFlag(std::string_view n) const {
    for (Node* child : children)
        if (child->isFlag(n)) return child;
    return nullptr;
}

std::string Node::value(std::string_view n, std::string_view def) const {
    const Node* child = getByName(n);
    return child ? child->valueText.str() : std::string(def);
}

int Node::value1i(std::string_view n, int def) const {
    const Node* child = getByName(n);
    int out = def;
    return child && valueToInt(child->valueText, out) ? out : def;
}

float Node::value1f(std::string_view n, float def) const {
    const Node* child = getByName(n);
    float out = def;
    return child && valueToFloat(child->valueText, out) ? out : def;
}

bool Node::valueiv(std::vector<int>& out, std::string_view path, int count, int def) const {
    out.clear();
    const Node* node = findNode(path);
    if (!node) return false;
    appendFromPieces(node->splitValue(','), count, def, atoiPiece, out);
    return true;
}

bool Node::valuefv(std::vector<float>& out, std::string_view path, int count, float def) const {
    out.clear();
    const Node* node = findNode(path);
    if (!node) return false;
    appendFromPieces(node->splitValue(','), count, def, atofPiece, out);
    return true;
}

bool Node::valueiv(int* out, std::string_view path, int count, int def) const {
    const Node* node = findNode(path);
    if (!node) return false;
    fillFromPieces(node->splitValue(','), count, def, atoiPiece, out);
    return true;
}

bool Node::valuefv(float* out, std::string_view path, int count, float def) const {
    const Node* node = findNode(path);
    if (!node) return false;
    fillFromPieces(node->splitValue(','), count, def, atofPiece, out);
    return true;
}

ko::util::StrPar Node::splitValue(char sep) const {
    return ko::util::StrPar::split(valueText, sep);
}

ko::util::StrPar Node::splitNodeValue(std::string_view n, char sep) const {
    const Node* child = getByName(n);
    return child ? child->splitValue(sep) : ko::util::StrPar();
}

template <class T>
T* Node::findTyped(std::string_view path) const {
    Node* node = findNode(path);
    // The found node itself, then up to two steps through value paths.
    for (int step = 0; node; ++step) {
        if (typeid(*node) == typeid(T)) return static_cast<T*>(node);
        if (step == 2) break;
        node = lookupRoot()->findNode(node->valueText);
    }
    return nullptr;
}

float* Node::color(std::string_view path) const {
    Color* found = findTyped<Color>(path);
    return found ? found->rgba : gNoColor;
}

glm::vec4 Node::colorvec4(std::string_view path) const {
    const float* c = color(path);
    return {c[0], c[1], c[2], c[3]};
}

ko::gl::Font* Node::font(std::string_view path) const {
    if (!instance) return nullptr;
    ko::gl::Font* fallback = instance->getGLFont(Instance::kDefaultFontPath, Instance::kDefaultFontSize);
    const Font* found = findTyped<Font>(path);
    if (!found) return fallback;
    ko::gl::Font* made = instance->getGLFont(found->path, found->size);
    return made ? made->withRendering(found->rendering) : fallback;
}

const Node* Node::lookupRoot() const {
    const Node* instanceRoot = instance ? instance->getRoot() : nullptr;
    return instanceRoot ? instanceRoot : getRoot();
}

bool Node::error(const char* format, ...) {
    char text[kMaxErrorText + 1];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written < 0) text[0] = 0;
    return error_string(text);
}

bool Node::error_string(const std::string& msg) {
    std::string entry = className();
    entry += " / (";
    entry += name;
    entry += ") : ";
    entry += msg;
    getRoot()->errors.emplace_back(line, std::move(entry));
    return false;
}

std::string Node::className() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return std::string("class ") + (status == 0 && demangled ? demangled.get() : mangled);
}

void Node::logtree(int depth) const {
    struct Item {
        const Node* node;
        int depth;
    };
    std::vector<Item> stack{{this, depth}};
    std::string pars;
    while (!stack.empty()) {
        const auto [node, level] = stack.back();
        stack.pop_back();
        const std::string indent(static_cast<size_t>(std::clamp(level, 0, kMaxLogIndentLevels)) * 4, ' ');
        const char* parentName = node->parent ? node->parent->name.c_str() : "";
        const void* address = node;
        if (!node->valueText.empty()) {
            appmsg("%p %sPar> (%s)=(%s) parent=(%s)", address, indent.c_str(), node->name.c_str(),
                   node->valueText.c_str(), parentName);
        } else if (!node->func.empty()) {
            pars.clear();
            for (int i = 0; i < node->pars.count(); ++i) (pars += *node->pars.at(i)) += '|';
            appmsg("%p %sFunc> %s=%s(%s) parent=(%s)", address, indent.c_str(), node->name.c_str(),
                   node->func.c_str(), pars.c_str(), parentName);
        } else if (node->children.empty()) {
            appmsg("%p %sFlag %s parent=(%s)", address, indent.c_str(), node->name.c_str(), parentName);
        } else {
            appmsg("%p %s%s parent=(%s)", address, indent.c_str(), node->name.c_str(), parentName);
        }
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back({*it, level + 1});
    }
}

bool Node::generateReport(std::vector<e_repitem>& out, int depth) const {
    // Each row's path is its parent's path plus its name, so paths are built
    // once per node instead of walking up to the root every time.
    struct Item {
        const Node* node;
        int depth;
        size_t parentRow;  // row index of the parent, or npos for this node
    };
    std::vector<Item> stack{{this, depth, std::string::npos}};
    while (!stack.empty()) {
        const Item item = stack.back();
        stack.pop_back();
        std::string path;
        if (item.parentRow == std::string::npos) {
            path = item.node->getPath();
        } else {
            const std::string& parentPath = out[item.parentRow].path;
            path.reserve(parentPath.size() + 1 + item.node->name.size());
            path = parentPath;
            // Below the topmost node a path always has a separator, even
            // after an empty name; only the topmost's child starts bare.
            if (item.node->parent->parent) path += '.';
            path += item.node->name;
        }
        out.push_back({const_cast<Node*>(item.node), item.depth, std::move(path)});
        const size_t row = out.size() - 1;
        for (auto it = item.node->children.rbegin(); it != item.node->children.rend(); ++it)
            stack.push_back({*it, item.depth + 1, row});
    }
    return true;
}

Node* Node::Preprocess(int depth) {
    struct Item {
        Node* node;
        int depth;
    };
    // The slot of the last replaced node, destroyed but not yet released:
    // the next typed node is built there (makeTyped), so replacing n nodes
    // leaves one free slot instead of n.
    struct Hole {
        void* slot = nullptr;
        ~Hole() { node_blocks::release(slot); }
    } hole;
    std::vector<Item> stack{{this, depth}};
    while (!stack.empty()) {
        const auto [node, level] = stack.back();
        stack.pop_back();
        for (Node*& child : node->children) {
            Node* typed = chooseTyped(child, hole.slot);
            if (!typed) continue;
            typed->setParent(node);
            typed->grabNode(child);
            Node* const replaced = child;
            child = typed;
            replaced->~Node();  // grabNode left it without children
            node_blocks::release(hole.slot);
            hole.slot = replaced;
        }
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back({*it, level + 1});
    }
    return nullptr;
}

bool Node::grabNode(Node* src) {
    if (!src || src == this) return false;
    // `src` is not used again, so its texts move instead of being copied.
    valueText = std::move(src->valueText);
    func = std::move(src->func);  // the name with its parameters
    line = src->line;
    instance = src->instance;
    children.reserve(children.size() + src->children.size());
    for (Node* child : src->children) add(child);
    src->children.clear();
    return true;
}

bool Node::Process() {
    if (!OnProcess()) return false;
    std::vector<Node*> stack(children.rbegin(), children.rend());
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        if (!node->OnProcess()) continue;  // a failing node skips only its own subtree
        stack.insert(stack.end(), node->children.rbegin(), node->children.rend());
    }
    return true;
}

bool Node::Load() {
    std::vector<Node*> stack{this};
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        if (!node->OnLoad()) return node->error("OnLoad()");
        stack.insert(stack.end(), node->children.rbegin(), node->children.rend());
    }
    return true;
}

}  // namespace koui::res
