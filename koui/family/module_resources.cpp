#include "koui/family/module_resources.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "koui/family/appmsg.h"

using namespace koui::win32;
using namespace ko::log;

namespace ko::util {

namespace {

struct ResourceKey {
    HINSTANCE module;
    int id;
    std::string type;  // lower case

    bool operator<(const ResourceKey& o) const {
        return std::tie(module, id, type) < std::tie(o.module, o.id, o.type);
    }
};

std::string lowerType(const char* type) {
    std::string t(type);
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
    return t;
}

// Each blob sits in its own heap vector so that registering more blobs never
// moves the bytes of those already handed out.
struct Registry {
    std::mutex lock;
    std::map<ResourceKey, std::unique_ptr<const std::vector<uint8_t>>> blobs;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

bool stmmRegisterResource(HINSTANCE module, int resId, const char* resType, const void* data, size_t size) {
    if (!resType || !*resType) {
        appmsg("[ERROR] stmmRegisterResource: resource %d has no type", resId);
        return false;
    }
    if (!data && size) {
        appmsg("[ERROR] stmmRegisterResource: resource %d (%s) has no data", resId, resType);
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    auto blob = std::make_unique<const std::vector<uint8_t>>(bytes, bytes + size);
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    const bool inserted = r.blobs.try_emplace({module, resId, lowerType(resType)}, std::move(blob)).second;
    if (!inserted) appmsg("[ERROR] stmmRegisterResource: resource %d (%s) exists already", resId, resType);
    return inserted;
}

bool stmmUnregisterResource(HINSTANCE module, int resId, const char* resType) {
    if (!resType) return false;
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    return r.blobs.erase({module, resId, lowerType(resType)}) > 0;
}

const uint8_t* stmmGeneralGetResourceVector(HINSTANCE module, int resId, const char* resType, size_t* size) {
    if (size) *size = 0;
    if (!resType) return nullptr;
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    const auto it = r.blobs.find({module, resId, lowerType(resType)});
    if (it == r.blobs.end()) return nullptr;
    if (size) *size = it->second->size();
    // An empty blob still exists: give a valid, non-null pointer for it.
    static const uint8_t kEmpty = 0;
    return it->second->empty() ? &kEmpty : it->second->data();
}

}  // namespace ko::util
