#include "koui/family/cmc.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace ko::util {

Cmc::~Cmc() {
    _mcSetParent(nullptr);
    // Detach every child before deleting any, so a child's own detaching
    // does not walk this object's list while it is being torn down.
    std::vector<Cmc*> children;
    children.swap(children_);
    for (Cmc* child : children) child->parent_ = nullptr;
    for (auto it = children.rbegin(); it != children.rend(); ++it) delete *it;
}

void Cmc::_mcSetParent(Cmc* parent) {
    if (parent == parent_ || parent == this) return;
    if (parent_) {
        auto& siblings = parent_->children_;
        const auto it = std::find(siblings.begin(), siblings.end(), this);
        if (it != siblings.end()) siblings.erase(it);
    }
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
}

Cmc* Cmc::_mcGetChild(int index) const {
    if (index < 0 || index >= _mcGetChildCount()) return nullptr;
    return children_[static_cast<size_t>(index)];
}

int Cmc::koxMC__CLASSFUNC(unsigned long cmd, unsigned long, unsigned long, void*, void* out) {
    return mcClassFunction<Cmc>("Cmc", cmd, out);
}

void Cmc::_mcSetDefaultName() {
    static std::atomic<int> counter{0};
    mcSetCountedName("Cmc", counter);
}

void Cmc::mcSetCountedName(const char* className, std::atomic<int>& counter) {
    char name[300];
    std::snprintf(name, sizeof name, "%s_%d", className, counter.fetch_add(1));
    setname(name);
}

void Cmc::vlog(const char* levelTag, const char* format, va_list args) {
    char text[2048];
    std::vsnprintf(text, sizeof text, format, args);
    appmsg("%s %s%s : %s", gettype(), name_.c_str(), levelTag, text);
}

void Cmc::_mclog(int level, const char* format, ...) {
    char tag[16];
    std::snprintf(tag, sizeof tag, " <%d>", level);
    va_list args;
    va_start(args, format);
    vlog(tag, format, args);
    va_end(args);
}

void Cmc::_mclog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vlog("", format, args);
    va_end(args);
}

}  // namespace ko::util
