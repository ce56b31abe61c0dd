// Node: one statement of a resource definition file, and the tree they form.
//
// The same class serves as parameter (`key: value`), flag (bare word),
// function value (`key: func(pars)`) and block (`name { ... }`); the kind
// follows from which of value, function name and children are filled. After
// parsing, Preprocess replaces plain nodes that describe colours, image
// sources, image sections and fonts by the typed subclasses (Color, ImgSrc,
// ImgSection, Font); Process and Load then run their hooks.
//
// The fields are public, in their documented order, because the typed nodes
// and the resource instance read them directly. Attach children only through
// add() so that parent and instance stay right.
//
// Naming: the node's own value text is the field `valueText`. The name
// `value` belongs to the getter value(name, def), which reads the value of a
// direct child; C++ cannot hold a field and a member function of one name.
//
// Error entries read "<class> / (<name>) : <message>", where <class> is the
// node's dynamic type written the way the messages of this toolkit show it,
// "class koui::res::Font": the demangled type name with "class " in front.
//
// Depth: every walk over the tree (destruction, paths, logtree, reports,
// Preprocess, Process, Load) is iterative, so a tree nested 100 000 levels
// deep costs heap, not stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <glm/vec4.hpp>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "koui/export.h"
#include "koui/family/strpar.h"
#include "koui/res/node_blocks.h"
#include "koui/res/node_list.h"
#include "koui/res/node_text.h"
#include "koui/res/srcline.h"

namespace ko::gl {
class Font;
}

namespace koui::res {

class Instance;
class Node;

// One row of Node::generateReport.
struct KOUI_API e_repitem {
    Node* node = nullptr;
    int depth = 0;
    std::string path;
};

// The error list of a tree. Only the root's list is used, so every node holds
// a single pointer and the list itself is allocated with the first error.
class KOUI_API ErrorList {
public:
    using value_type = SrcLine;
    using const_iterator = std::vector<SrcLine>::const_iterator;

    bool empty() const { return !list_ || list_->empty(); }
    std::size_t size() const { return list_ ? list_->size() : 0; }
    const SrcLine& operator[](std::size_t i) const { return (*list_)[i]; }
    const_iterator begin() const { return entries().begin(); }
    const_iterator end() const { return entries().end(); }
    template <class... Args>
    SrcLine& emplace_back(Args&&... args) {
        if (!list_) list_ = std::make_unique<std::vector<SrcLine>>();
        return list_->emplace_back(std::forward<Args>(args)...);
    }
    void clear() { list_.reset(); }

private:
    const std::vector<SrcLine>& entries() const;
    std::unique_ptr<std::vector<SrcLine>> list_;
};

// The function of a function value (`key: func(pars)`): its name and its
// parameters, in one record that only function-valued nodes allocate (a few
// in a hundred), so that every other node holds one pointer instead of both.
struct FuncData {
    std::string name;
    ko::util::StrPar pars;
};

// Node::func: the function name, read like a std::string (empty without a
// function). Assigning a name creates the record.
class KOUI_API FuncName {
public:
    FuncName() = default;
    FuncName(const FuncName&) = delete;
    // Takes the whole record (name and parameters) of `other`.
    FuncName& operator=(FuncName&& other) noexcept {
        data_ = std::move(other.data_);
        return *this;
    }
    // Copies the name only, as assigning the name's string would.
    FuncName& operator=(const FuncName& other) { return *this = other.str(); }
    FuncName& operator=(std::string name) {
        if (data_ || !name.empty()) own().name = std::move(name);
        return *this;
    }

    const std::string& str() const { return data_ ? data_->name : empty_(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return str().empty(); }
    std::size_t size() const { return str().size(); }
    const char* c_str() const { return str().c_str(); }

    friend bool operator==(const FuncName& a, std::string_view b) { return a.str() == b; }
    friend bool operator==(const FuncName& a, const FuncName& b) { return a.str() == b.str(); }
    friend std::string operator+(std::string a, const FuncName& b) { return a += b.str(); }
    friend std::string operator+(const FuncName& a, std::string_view b) {
        std::string out(a.str());
        return out += b;
    }

private:
    friend class FuncPars;
    static const std::string& empty_();
    FuncData& own() {
        if (!data_) data_ = std::make_unique<FuncData>();
        return *data_;
    }
    std::unique_ptr<FuncData> data_;
};

// Node::pars: the function parameters, read like a ko::util::StrPar (empty
// without a function). They live in the record of the node's FuncName, and
// the member takes no bytes of the node: it finds that record from its own
// place in the node (owner()), instead of through a pointer of its own.
class KOUI_API FuncPars {
public:
    FuncPars() = default;
    FuncPars(const FuncPars&) = delete;
    FuncPars& operator=(const FuncPars&) = delete;
    FuncPars& operator=(ko::util::StrPar list) {
        owner().own().pars = std::move(list);
        return *this;
    }

    const ko::util::StrPar& list() const;
    operator const ko::util::StrPar&() const { return list(); }
    int count() const { return list().count(); }
    bool empty() const { return list().empty(); }
    bool has(int i) const { return list().has(i); }
    std::string get(int i, std::string_view def = {}) const { return list().get(i, def); }
    const std::string* at(int i) const { return list().at(i); }
    int start() const { return list().start(); }
    const std::vector<std::string>& items() const { return list().items(); }
    int size() const { return list().size(); }
    void setStart(int start) { owner().own().pars.setStart(start); }
    void advance(int n = 1) { owner().own().pars.advance(n); }
    void add(std::string item) { owner().own().pars.add(std::move(item)); }

private:
    // The FuncName of the node this member belongs to.
    FuncName& owner() const;
};

class KOUI_API Node {
public:
    explicit Node(std::string_view name);             // line -1
    Node(std::string_view name, const SrcLine* src);  // line of src, 0 without one
    Node(const Node&) = delete;                       // trees are never copied;
    Node& operator=(const Node&) = delete;            // Copy() copies a node's data

    // Nodes of every class are carved out of large blocks (node_blocks.h):
    // trees are made and dropped whole, tens of thousands of nodes at a time.
    // A plain node's slot has room for a Color, so that preprocessing can
    // build the typed node that replaces one plain node in the slot of the
    // plain node it replaced before, instead of leaving a hole per colour.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept { node_blocks::release(p); }

    // Virtual operations, in this order.
    virtual ~Node();                           // deletes the children
    virtual bool OnProcess() { return true; }  // once per node after preprocessing
    virtual bool OnLoad() { return true; }     // once per node after processing
    virtual bool OnResourceChange(bool /*flag*/, const std::string& /*path*/) { return true; }
    virtual bool OnSourceResUpdate(bool /*flag*/, Node* /*source*/) { return true; }
    virtual bool isOK() { return true; }

    // Structure.
    Node* add(Node* child);  // appends, sets its parent and instance; null for null
    Node* getParent() const { return parent; }
    void setParent(Node* newParent);  // also takes the parent's instance (null without one)
    Instance* getInstance() const { return instance; }
    void setInstance(Instance* newInstance) { instance = newInstance; }
    Node* getRoot();
    const Node* getRoot() const;
    void setValue(std::string_view text) { valueText = text; }
    // Takes the list with its start index (callers that keep theirs pass a copy).
    void setFunc(std::string name, ko::util::StrPar parameters);
    uint32_t setFlags(uint32_t bits) { return flags = bits; }
    uint32_t addFlags(uint32_t bits) { return flags |= bits; }
    uint32_t removeFlags(uint32_t bits) { return flags &= ~bits; }
    // Names from below the topmost ancestor down to this node, joined by ".";
    // empty for the root.
    std::string getPath() const;

    // Tests on this node.
    bool isName(std::string_view n) const { return name == n; }
    bool isFunc(std::string_view f) const { return func == f; }
    bool hasFunc() const { return !func.empty(); }
    bool isFlag() const { return children.empty(); }  // flags, parameters and functions
    bool isFlag(std::string_view n) const { return children.empty() && name == n; }
    // Name, value, function and parameters (from each start index) equal;
    // children are not compared.
    bool IsEqual(const Node* other) const;
    // Copies name, value, function and parameter texts; keeps this node's
    // parameter start index and its children.
    bool Copy(const Node* other);

    // Function parameters, index counted from the start index.
    std::string getPar(int i, std::string_view def = {}) const { return pars.get(i, def); }
    int getIntPar(int i, int def) const;        // atoi
    float getFloatPar(int i, float def) const;  // atof
    int getParCount() const { return pars.count(); }

    // Lookups. findNode splits `path` at '.' (an empty piece between two dots
    // is a name, a trailing one is ignored) and walks direct children; null
    // for an empty path or a missing piece.
    Node* getByName(std::string_view n) const;
    Node* findNode(std::string_view path) const;
    Node* findNodeFromNode(std::string_view path, const Node* from) const;  // from null: the root
    Node* findNodeFromRoot(std::string_view path) const { return findNodeFromNode(path, nullptr); }
    bool has(std::string_view path) const { return findNode(path) != nullptr; }
    bool hasValue(std::string_view n) const { return getByName(n) != nullptr; }
    Node* getFlag(std::string_view n) const;  // first direct child that isFlag(n)
    bool hasFlag(std::string_view n) const { return getFlag(n) != nullptr; }

    // Value getters of a direct child `n`: its value (empty for a flag), or
    // `def` when there is no such child. The numeric forms convert like
    // std::stoi / std::stof (leading blanks skipped, trailing text ignored)
    // and give `def` when nothing converts or the number is out of range;
    // they never throw.
    std::string value(std::string_view n, std::string_view def = {}) const;
    int value1i(std::string_view n, int def) const;
    float value1f(std::string_view n, float def) const;

    // Vector getters of the node at dotted `path`: its value split at ',',
    // `count` entries (all pieces when count < 1), each converted with
    // atoi/atof or `def` where there is no piece. False when the node is
    // missing. The vector forms clear `out` first and append; the array forms
    // write out[0..count-1] and leave `out` alone when the node is missing.
    bool valueiv(std::vector<int>& out, std::string_view path, int count, int def) const;
    bool valuefv(std::vector<float>& out, std::string_view path, int count, float def) const;
    bool valueiv(int* out, std::string_view path, int count, int def) const;
    bool valuefv(float* out, std::string_view path, int count, float def) const;
    ko::util::StrPar splitValue(char sep) const;
    ko::util::StrPar splitNodeValue(std::string_view n, char sep) const;

    // Typed lookups: the node at `path` if it is a Color (exact type), else
    // its value taken as a path from the lookup root, at most twice.
    float* color(std::string_view path) const;  // shared (0, 0, 0, 0) when not found
    glm::vec4 colorvec4(std::string_view path) const;
    // The GL font of the Font node at `path` (typed lookup as for colours),
    // made by the resource instance (Instance::getGLFont); the instance's
    // default font ("Fonts/verdana.ttf" at 20 pixels) when there is no such
    // node or its font cannot be made. Null without an instance.
    ko::gl::Font* font(std::string_view path) const;

    // Errors: append "<class> / (<name>) : <msg>" with this node's line to
    // the root's error list. Both return false so that callers can write
    // `return error(...)`. Formatted messages are cut at 1023 bytes.
    bool error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool error_string(const std::string& msg);
    std::string className() const;  // "class koui::res::Node" and the like

    // One appmsg line per node, depth-first. The indent is four spaces per
    // level, capped at 64 levels so that a pathologically deep tree prints in
    // linear time.
    void logtree(int depth) const;
    // Preorder rows (node, depth, path) of this subtree. Always true.
    bool generateReport(std::vector<e_repitem>& out, int depth) const;

    // Replaces plain children by typed nodes (colour, image source, image
    // section, font; first match wins), then descends. Always null.
    Node* Preprocess(int depth);
    // Takes over value, function, parameters, line and instance of `src` and
    // moves all its children here; its name is not taken. `src` must not be
    // used again: its texts are moved out and it is left without children,
    // so it can be deleted on its own.
    bool grabNode(Node* src);
    // OnProcess on this node and, where it succeeds, the subtree below.
    // Returns this node's own OnProcess result.
    bool Process();
    // OnLoad on this subtree in preorder; stops at the first failure, which
    // records "OnLoad()" on the failing node.
    bool Load();

    // Fields, in this order.
    ErrorList errors;                     // only the root's list is used
    int32_t line = -1;                    // zero-based source line; -1 without one
    uint32_t flags = 0;                   // next to line: the two share one 8-byte slot
    NodeText name;                        // short texts inline (node_text.h)
    NodeText valueText;                   // the parameter value (see the naming note above)
    FuncName func;                        // function name of a function value
    [[no_unique_address]] FuncPars pars;  // function parameters (no bytes of its own)
    NodeList children;                    // owned, in source order
    Instance* instance = nullptr;
    Node* parent = nullptr;

private:
    // Where typed lookups resolve value paths: the root of the node's
    // resource instance, or the node's own root when it has no instance.
    const Node* lookupRoot() const;
    template <class T>
    T* findTyped(std::string_view path) const;
};

}  // namespace koui::res
