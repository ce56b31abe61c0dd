// Cmc: base of the classic resource objects. Every object has a name, a
// parent and children, and answers a small class-function protocol through
// which generic code asks an object for its class name or makes a new object
// of the same class without knowing the C++ type.
//
// Ownership: a Cmc owns its children. Destroying an object first detaches it
// from its parent, then destroys its children (last added first), so an
// object may be deleted early by whoever holds it without the parent deleting
// it a second time, and whatever is still attached to a tree is released with
// its root. Objects are not shared between threads.
//
// Class names and object names are `const char*` (the family library uses
// plain `char*`; no operation here writes through them).
#pragma once

#include <atomic>
#include <cstdarg>
#include <string>
#include <vector>

#include "koui/export.h"

namespace ko::util {

// Result of a class function (and of classic resource operations) for an
// unknown command, a missing argument or a missing resource.
inline constexpr int kMcInvalid = 0x10000000;

// Class-function commands.
inline constexpr unsigned long kMcCmdGetClassName = 1;  // out: const char** slot
inline constexpr unsigned long kMcCmdCreate = 256;      // out: Cmc** slot

class Cmc;
using CmcClassFunc = int (*)(unsigned long cmd, unsigned long, unsigned long, void*, void* out);

class KOUI_API Cmc {
public:
    Cmc() = default;
    virtual ~Cmc();
    Cmc(const Cmc&) = delete;
    Cmc& operator=(const Cmc&) = delete;

    void setname(const char* name) { name_ = name ? name : ""; }
    const char* getname() const { return name_.c_str(); }

    // Moves the object under `parent` (null detaches it).
    void _mcSetParent(Cmc* parent);
    Cmc* _mcGetParent() const { return parent_; }
    int _mcGetChildCount() const { return static_cast<int>(children_.size()); }
    // Child `index` in attachment order, null outside the range.
    Cmc* _mcGetChild(int index) const;

    // One log line through appmsg, tagged with the object's class and name:
    // "<class> <name> : text", and with the level as "<class> <name> <level> : text".
    void _mclog(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void _mclog(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Class-function protocol (see KOUI_MC_CLASS below).
    static int koxMC__CLASSFUNC(unsigned long cmd, unsigned long a, unsigned long b, void* in, void* out);
    virtual const char* gettype() const { return "Cmc"; }
    virtual CmcClassFunc getclassfunc() const { return &Cmc::koxMC__CLASSFUNC; }
    virtual int classfunc(unsigned long cmd, unsigned long a, unsigned long b, void* in, void* out) {
        return koxMC__CLASSFUNC(cmd, a, b, in, out);
    }
    // Names the object "<class>_<n>" with a per-class counter from 0.
    virtual void _mcSetDefaultName();

protected:
    // Shared body of every class function: cmd 1 writes the class name to
    // the `const char*` slot at `out`, cmd 256 writes a new default-built
    // object to the `Cmc*` slot at `out`; 0 for both, kMcInvalid otherwise.
    template <class T>
    static int mcClassFunction(const char* className, unsigned long cmd, void* out) {
        if (!out) return kMcInvalid;
        if (cmd == kMcCmdGetClassName) {
            *static_cast<const char**>(out) = className;
            return 0;
        }
        if (cmd == kMcCmdCreate) {
            *static_cast<Cmc**>(out) = new T();
            return 0;
        }
        return kMcInvalid;
    }
    void mcSetCountedName(const char* className, std::atomic<int>& counter);

private:
    void vlog(const char* levelTag, const char* format, va_list args) __attribute__((format(printf, 3, 0)));

    std::string name_;
    Cmc* parent_ = nullptr;
    std::vector<Cmc*> children_;
};

// Declares the class-function protocol of a Cmc subclass with its class name
// string: the static class function, the virtual forwarders, the counted
// default name and the _mcCreate(parent, name) factory.
#define KOUI_MC_CLASS(Class, ClassName)                                                                \
public:                                                                                                \
    static int koxMC__CLASSFUNC(unsigned long cmd, unsigned long, unsigned long, void*, void* out) {   \
        return mcClassFunction<Class>(ClassName, cmd, out);                                            \
    }                                                                                                  \
    const char* gettype() const override {                                                             \
        return ClassName;                                                                              \
    }                                                                                                  \
    ::ko::util::CmcClassFunc getclassfunc() const override {                                           \
        return &Class::koxMC__CLASSFUNC;                                                               \
    }                                                                                                  \
    int classfunc(unsigned long cmd, unsigned long a, unsigned long b, void* in, void* out) override { \
        return koxMC__CLASSFUNC(cmd, a, b, in, out);                                                   \
    }                                                                                                  \
    void _mcSetDefaultName() override {                                                                \
        mcSetCountedName(ClassName, mcNameCounter_);                                                   \
    }                                                                                                  \
    static Class* _mcCreate(::ko::util::Cmc* parent, const char* name) {                               \
        auto* object = new Class();                                                                    \
        object->_mcSetParent(parent);                                                                  \
        object->setname(name);                                                                         \
        return object;                                                                                 \
    }                                                                                                  \
                                                                                                       \
private:                                                                                               \
    static inline std::atomic<int> mcNameCounter_{0};                                                  \
                                                                                                       \
public:

}  // namespace ko::util
