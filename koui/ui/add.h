// koui::add: makes an element of type T as the last child of `parent`,
// named `name` and styled from the resource path `style`, and returns it.
// The tree owns it from then on (it goes with its parent), so application
// code never deletes what it added; `args` go to T's constructor.
//
//     koui::Div& panel = koui::add(root, "info", "hello.info");
//
// GL thread, like everything done to elements.
#pragma once

#include <string>
#include <utility>

#include "koui/ui/div.h"

namespace koui {

template <class T = Div, class... Args>
T& add(Div& parent, std::string name, std::string style = {}, Args&&... args) {
    T* element = new T(std::forward<Args>(args)...);
    element->Create(std::move(name), &parent, 0, 0, 0, 0, nullptr, 0, std::move(style));
    return *element;
}

}  // namespace koui
