#pragma once

#include <QRect>
#include <optional>

#include "workspace/window_placement.h"

class QWidget;

namespace kestra::ui {

workspace::PlacementRect to_placement_rect(const QRect& rect);
QRect to_qrect(const workspace::PlacementRect& rect);

// A window's placement as it is now: its normal geometry, and flags 2 with the maximised show command when it is
// maximised.
workspace::WindowPlacement current_placement(const QWidget* window, const QRect& normal_geometry);

// The normal rectangle moved onto the screens' available area when it lies on none of them.
QRect fit_to_screens(const QRect& rect);

}  // namespace kestra::ui
