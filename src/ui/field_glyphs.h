#pragma once

#include <QPixmap>
#include <cstdint>

namespace kestra::ui {

// The 32x16 picture before a field's name: its origin (host, offset or calculated) on the left and, for a field
// marked as other than Standard, the "formatted" mark on the right. Drawn at the given device pixel ratio so it
// stays sharp on scaled screens.
QPixmap field_glyph(std::int32_t field_kind, bool formatted, qreal device_pixel_ratio);

}  // namespace kestra::ui
