// koui::pz::Series: data drawn by the plot canvas in plot coordinates
// without application GL code: a line through points, a scatter of points,
// or filled rectangles (two corners each).
//
// Each series is one draw call from its own vertex buffer, whatever its
// size: the points are uploaded when they change (rectangles expanded to
// two triangles each) and drawn by one small program under the canvas's
// matrix, so 100 000 points cost one call, not one per point. The colour
// comes from the style: `colorKey` is appended to the canvas's style path
// (".series.sine" reads "<canvas style>.series.sine"), so a theme edit
// recolours the plot while it runs.
//
// GL objects. The buffer is made on the first draw on the GL thread and
// deleted with the series, which therefore must go on the GL thread with a
// context of the window's share group current (the canvas that owns it
// does). Buffers are shared between the windows' contexts; the vertex
// layout is set on the context's own vertex array for the draw and removed
// again, so no per-context object is kept.
#pragma once

#include <glm/vec2.hpp>
#include <string>
#include <vector>

#include "koui/export.h"

namespace koui::pz {

class Canvas;

class KOUI_API Series {
public:
    enum Kind { kLine, kScatter, kRects };

    Series(Kind kind, std::string colorKey, std::vector<glm::vec2> points = {});
    ~Series();
    Series(const Series&) = delete;
    Series& operator=(const Series&) = delete;

    void setPoints(std::vector<glm::vec2> pts);
    const std::vector<glm::vec2>& getPoints() const { return points; }
    // The smallest rectangle holding every point; false when there is none.
    bool bounds(glm::vec2& lo, glm::vec2& hi) const;
    // One draw call; the model-view matrix is not used (the program takes
    // the canvas's mvp).
    void draw(Canvas& canvas);

    Kind kind;
    std::string colorKey;
    float pointSize = 3.0f;  // scatter points, in pixels
    bool visible = true;

private:
    void upload();

    std::vector<glm::vec2> points;
    unsigned buffer = 0;
    int vertexCount = 0;
    bool dirty = true;
};

}  // namespace koui::pz
