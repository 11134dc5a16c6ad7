#pragma once

#include <QIcon>

namespace kestra::ui {

// The toolbar's pictures, drawn rather than loaded, at whatever pixel ratio the screen has, so they are sharp at
// any scale and need no image files.
QIcon toolbar_icon(int command_id);

}  // namespace kestra::ui
