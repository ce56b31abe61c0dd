// Instance: creation, the resource watcher, the per-cycle iterate and draw,
// canvases and the message queue.
#include "koui/host/instance.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "koui/family/appmsg.h"
#include "koui/host/canvas.h"
#include "koui/platform/folder_watch.h"
#include "koui/platform/threads.h"
#include "koui/res/instance.h"
#include "koui/rm/rm.h"

using namespace koui::win32;
using namespace ko::log;

namespace koui {

namespace {
// Every canvas's element tree, depth first.
template <class F>
void forEachElement(Div* d, F&& f) {
    f(d);
    for (Div* c : d->children) forEachElement(c, f);
}

bool pollingForced() {
    const char* v = std::getenv("KOUI_WATCH_POLL");
    return v && std::strcmp(v, "1") == 0;
}
}  // namespace

Instance::Instance() : folderWatch(std::make_unique<platform::FolderWatch>()) {
    rm = new RM();
}

Instance::~Instance() {
    stopWatcher();
    for (Canvas* c : canvases)
        if (c) c->instance = nullptr;
    delete resInstance;
    delete rm;
}

void Instance::stopWatcher() {
    {
        std::lock_guard<std::mutex> lock(watchLock);
        resFlags.fetch_and(~uint32_t(RES_WATCHING));
    }
    watchWake.notify_all();
    folderWatch->wake();
    if (watcher.joinable()) watcher.join();
}

void Instance::setWake(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(wakeLock);
    wakeFn = std::move(fn);
}

void Instance::wake() {
    std::lock_guard<std::mutex> lock(wakeLock);
    if (wakeFn) wakeFn();
}

double Instance::takeFrameDue() {
    double due = HUGE_VAL;
    for (Canvas* c : canvases)
        if (c) due = std::min(due, c->takeFrameRequest());
    // The classic resources load a step per cycle.
    if ((resFlags.load() & RES_CHANGED) || rmProgress < 100.0) return 0;
    std::lock_guard<std::mutex> lock(msgLock);
    return msgQueue.empty() ? due : 0;
}

namespace {
// The first load's errors, and those of every retry of it.
void reportLoadFailure(res::Instance& resources) {
    appmsg("[ERROR] Cannot load uiResources");
    const auto& errors = resources.getRoot()->errors;
    for (size_t i = 0; i < errors.size(); ++i)
        appmsg("[ERROR] %2d : Line %4d = \"%s\"", static_cast<int>(i),
               errors[i].line < 0 ? 0 : errors[i].line + 1, errors[i].text.c_str());
}

// Every entry below `folder` with its write time; empty when it cannot be read.
std::map<std::string, std::filesystem::file_time_type> folderEntries(const std::string& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, fs::file_time_type> entries;
    std::error_code ec, timeError;  // an entry that vanished meanwhile does not end the walk
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.emplace(it->path().string(), it->last_write_time(timeError));
    return entries;
}
}  // namespace

bool Instance::glCreate(std::string resDir, std::string archivePath, std::string rootFile, HWND wnd) {
    ScopeLog scope(this, "glCreate(%s,%s,%s)", resDir.c_str(), archivePath.c_str(), rootFile.c_str());
    hWnd = wnd;
    resInstance = new res::Instance(resDir, archivePath);
    // Taken before the load, so that a save while it runs is not missed.
    const std::string& folder = resInstance->getRootPath();
    auto entries = folderEntries(folder);
    if (!resInstance->Load(rootFile, false)) {
        reportLoadFailure(*resInstance);
        if (!resInstance->usingComp() && !folder.empty()) {
            failedFolder = folder;
            failedEntries = std::move(entries);
        }
    }
    // The flag goes up before the thread starts, so that a destructor that
    // runs at once still finds it and the watcher cannot raise it again.
    resFlags.fetch_or(RES_WATCHING);
    watcher = std::thread(&Instance::resInstance_CWorker, this);
    return true;
}

// Watcher thread: after a failed first load, a file of the folder was
// saved, made or removed since the watcher last looked.
bool Instance::failedFolderChanged() {
    if (failedFolder.empty() || resInstance->isOK()) return false;
    auto entries = folderEntries(failedFolder);
    if (entries == failedEntries) return false;
    failedEntries = std::move(entries);
    return true;
}

// The watcher's begin and end lines name the instance through an object of
// its own: a virtual call on `this` from this thread would race with the
// destructor of a class derived from Instance, which rewrites the vtable
// pointer before the watcher is stopped.
void Instance::resInstance_CWorker() {
    struct Name : ko::log::Obj {
        const char* logObjName() override { return "koui::Instance"; }
    } name;
    koui::platform::setCurrentThreadName("koui-watch");
    ScopeLog scope(&name, "resInstance_CWorker()");
    // Opened before the first look, so that a change between the two is
    // either seen by the look or notified.
    const std::string& folder = resInstance->getRootPath();
    if (!resInstance->usingComp() && !folder.empty() && !pollingForced())
        notified.store(folderWatch->open(folder));
    if (notified.load())
        name.logMsg("watching %s by file notifications", folder.c_str());
    else
        name.logMsg("polling %s every %d ms", folder.c_str(), watchIntervalMs.load());
    using platform::FolderWatch;
    std::unique_lock<std::mutex> lock(watchLock);
    while (resFlags.load() & RES_WATCHING) {
        lock.unlock();
        if (failedFolderChanged() || resInstance->checkForResSourceChange() ||
            resInstance->checkForChangesInFolderFiles()) {
            resFlags.fetch_or(RES_CHANGED);
            wake();
        }
        if (notified.load()) {
            // Woken by a save, by stopWatcher, or for the slow look.
            if (folderWatch->wait(std::max(watchIntervalMs.load(), kNotifiedPollMs)) ==
                FolderWatch::Wait::kFailed) {
                notified.store(false);
                name.logMsg("file notifications for %s stopped; polling", folder.c_str());
            }
            lock.lock();
            continue;
        }
        lock.lock();
        watchWake.wait_for(lock, std::chrono::milliseconds(watchIntervalMs.load()),
                           [this] { return !(resFlags.load() & RES_WATCHING); });
    }
}

void Instance::setViewport(int x, int y, int w, int h) {
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = w;
    viewport[3] = h;
}

// A replaced tree takes its image nodes with it: image handles of the old
// tree are dropped before the styles are read again, so an element whose
// image key vanished shows no image rather than a deleted one.
void Instance::reloadResources() {
    res::Node* before = resInstance->getRoot();
    if (!failedFolder.empty() && !resInstance->isOK()) {
        // Load starts from a fresh tree and records the files' times anew.
        if (!resInstance->Load(resInstance->getFileName(), false)) reportLoadFailure(*resInstance);
    } else {
        resInstance->CallResSourceChange();
        resInstance->CallForChangesInFolderFiles();
    }
    bool replaced = resInstance->getRoot() != before;
    for (Canvas* c : canvases) {
        if (!c || !c->resInst()) continue;
        if (replaced) forEachElement(c, [](Div* d) { d->styleImage = res::Img(); });
        c->OnUpdateStyle();
        for (size_t i = 0; i < c->children.size(); ++i) c->children[i]->UpdateStyle();
    }
}

int Instance::Iterate(int x, int y, int w, int h) {
    setViewport(x, y, w, h);
    for (Canvas* c : canvases)
        if (c) c->setViewport(x, y, w, h);
    // Cleared before the reload: a change found while reloading waits for
    // the next cycle instead of being lost.
    if (resInstance && (resFlags.fetch_and(~uint32_t(RES_CHANGED)) & RES_CHANGED)) reloadResources();
    if (rm) rm->glMaintain(&rmProgress, nullptr, 0);
    if (rmProgress < 100.0) return 0;
    for (;;) {
        e_msg m;
        {
            std::lock_guard<std::mutex> lock(msgLock);
            if (msgQueue.empty()) break;
            m = std::move(msgQueue.front());
            msgQueue.pop_front();
        }
        deliver(m);
    }
    for (size_t i = 0; i < canvases.size(); ++i)
        if (canvases[i] && !canvases[i]->noIterate) canvases[i]->Iterate();
    return 0;
}

void Instance::deliver(e_msg& m) {
    Div* receiver = m.to ? m.to : m.from;
    if (!receiver) return;
    if (!m.to && m.id == MSG_DELETE) {
        delete (m.ptr1 ? static_cast<Div*>(m.ptr1) : m.from);
        return;
    }
    receiver->OnMsg(&m);
}

int Instance::Draw() {
    if (rmProgress < 100.0) return 0;
    for (Canvas* c : canvases) {
        if (!c) continue;
        c->setViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glDisable(GL_SCISSOR_TEST);
        if (!c->noDraw) c->Draw();
    }
    return 0;
}

Canvas* Instance::CreateCanvas() {
    Canvas* c = new Canvas();
    c->Create(this);
    canvases.push_back(c);
    return c;
}

Canvas* Instance::GetCanvas(int index) {
    if (index != 0) return nullptr;
    for (Canvas* c : canvases)
        if (c) return c;
    return nullptr;
}

bool Instance::Queue(Div* from, Div* to, DWORD id, const std::string& str, void* ptr1, DWORD num1, void* ptr2,
                     DWORD num2) {
    e_msg m;
    m.id = id;
    m.from = from;
    m.to = to;
    m.ptr1 = ptr1;
    m.num1 = num1;
    m.ptr2 = ptr2;
    m.num2 = num2;
    m.str = str;
    {
        std::lock_guard<std::mutex> lock(msgLock);
        msgQueue.push_back(std::move(m));
    }
    wake();  // delivered in the next Iterate
    return true;
}

size_t Instance::queuedCount() {
    std::lock_guard<std::mutex> lock(msgLock);
    return msgQueue.size();
}

void Instance::forget(Div* d) {
    std::lock_guard<std::mutex> lock(msgLock);
    auto doomed = [d](const e_msg& m) {
        if (m.to == d) return true;
        if (m.id == MSG_DELETE && m.ptr1 == d) return true;
        return !m.to && m.from == d;  // would be delivered to, or delete, d
    };
    msgQueue.erase(std::remove_if(msgQueue.begin(), msgQueue.end(), doomed), msgQueue.end());
    for (e_msg& m : msgQueue)
        if (m.from == d) m.from = nullptr;  // receivers must not see a deleted sender
}

}  // namespace koui
