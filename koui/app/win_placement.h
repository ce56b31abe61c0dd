// koui::app::WinPlacement: where a top-level window was and how it was
// shown, kept in a small profile (INI) file so that an application can
// reopen its window at the same place.
//
// The file has a section "window" with the keys "x", "y", "w", "h" and
// "show", each a plain decimal integer. Constructing the store loads them
// (missing file or key: 0, 0, 1600, 900, 1); the application reads them when
// it creates its window, fills the store from the window before closing it
// and saves. Other sections and keys of the file are left alone, so the
// application may keep its own settings there through get and put. The
// store never moves a window itself.
//
// Values are read as atoi reads them: a key present with an empty value
// gives the default, one whose text does not start with a number gives 0.
// Write failures are silent.
//
// A stored placement is never used as it stands, because a damaged file
// would otherwise break every start of the application: one whose size is
// not positive or whose show command is unknown is ignored (the defaults
// are used and a warning naming the file is logged); the rest is fitted
// into the work area of the monitor it is (most) on, or the nearest one, no
// bigger than that area. Without a display only the window limits of
// koui/platform/window.h apply.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "koui/export.h"
#include "koui/platform/win32_types.h"

namespace koui::app {

class KOUI_API WinPlacement {
public:
    static constexpr int kDefaultX = 0;
    static constexpr int kDefaultY = 0;
    static constexpr int kDefaultWidth = 1600;
    static constexpr int kDefaultHeight = 900;
    static constexpr int kDefaultShow = 1;  // SW_SHOWNORMAL

    explicit WinPlacement(const std::filesystem::path& path);

    void load();
    void save();
    // From a placement: the restored (normal) rectangle and the show command.
    void fill(win32::WINDOWPLACEMENT& wp);
    void fill(win32::HWND hWnd);

    int getX() const { return x; }
    int getY() const { return y; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getShow() const { return show; }

    std::string get(const std::string& section, const std::string& key, const std::string& def);
    void put(const std::string& section, const std::string& key, const std::string& value);
    int geti(const std::string& section, const std::string& key, int def);
    void puti(const std::string& section, const std::string& key, int value);

private:
    void makeUsable();
    void fitInto(const win32::RECT& area);

    int32_t x = kDefaultX;
    int32_t y = kDefaultY;
    int32_t width = kDefaultWidth;
    int32_t height = kDefaultHeight;
    int32_t show = kDefaultShow;
    std::filesystem::path path;
};

}  // namespace koui::app
