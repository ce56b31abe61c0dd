// koui::platform::FolderWatch: waits for changes below a folder through the
// kernel's file notifications (inotify), so that a watcher thread sleeps
// until a file is saved instead of looking at every file a few times a
// second.
//
// Watched: the folder and every folder below it, for files written and
// closed, made, deleted, moved in or out, and changed attributes (a
// `touch`). A file written in place is reported when it is closed, not at
// each write, so a reader never catches it half written. An editor that
// saves by writing a new file and renaming it over the old one is reported
// by the rename. Folders made later are watched as they appear.
//
// When notifications cannot be used, open() is false and the caller polls:
// no inotify, the per-user watch limit reached, a folder that cannot be
// read. A watch that breaks later (the limit reached by a new folder, the
// kernel's event queue overflowing, the watched folder removed) makes wait()
// answer kFailed once and the watch closes; the caller polls from then on.
// A file system that does not report changes (a network share) is not
// detectable here: the caller keeps a slow poll as well.
//
// Threads: open() and wait() on one thread; wake() from any thread, also
// before open() and after the watch failed.
#pragma once

#include <map>
#include <string>

#include "koui/export.h"

namespace koui::platform {

class KOUI_API FolderWatch {
public:
    enum class Wait { kChanged, kTimeout, kWoken, kFailed };

    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Starts watching `folder` and the folders below it; false (nothing
    // watched) when notifications cannot be used for it.
    bool open(const std::string& folder);
    bool isOpen() const { return notify_ >= 0; }
    // Waits at most `timeoutMs` (negative: without limit) for a change, a
    // wake() or a failure; every notification already queued is taken, so
    // one save is one kChanged. A wake() that came while nobody waited is
    // answered by the next wait, which returns kWoken at once. Without an
    // open watch it waits for a wake() or the timeout only.
    Wait wait(int timeoutMs);
    // Ends the current (or next) wait with kWoken.
    void wake();

private:
    bool addTree(const std::string& folder);
    void close();

    int notify_ = -1;                     // the inotify descriptor, -1 when not watching
    int wakeFd_ = -1;                     // an eventfd
    int rootWatch_ = -1;                  // the watch of the folder given to open()
    std::map<int, std::string> folders_;  // watch -> folder path
};

}  // namespace koui::platform
