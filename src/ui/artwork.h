#pragma once

#include <QIcon>
#include <QSize>
#include <functional>

#include "workspace/tree_layout.h"

class QFont;
class QPainter;
class QString;

namespace kestra::ui {

// Draws one picture into a painter whose coordinates are the picture's logical size; the painter may be scaled to
// any device pixel ratio, so the drawing is sharp at every scale.
using IconPainter = std::function<void(QPainter& painter, QIcon::Mode mode, QIcon::State state)>;

// An icon drawn on demand at the size and ratio asked for: at scale 2 its pixmap has twice the logical size in
// pixels and is drawn there, never a 1x pixmap scaled up. When `draws_modes` is false, the disabled and selected
// looks are made from the normal drawing by the style, as for any loaded image.
QIcon painted_icon(QSize logical_size, IconPainter draw, bool draws_modes = false);

// The tree's glyphs (16 by 16): expanded, collapsed, collapsed and empty, and leaf.
QIcon tree_glyph_icon(workspace::NodeGlyph glyph);
// The configuration view's table kinds (16 by 16): a plain table and a join.
QIcon table_kind_icon(bool join);

// A mode button's four images, named after its caption: Normal/Off is the up image (U), Active/Off the image under
// the mouse (F), Normal/On the pressed image (D) and Disabled the current mode's image (X). The logical size fits
// the caption in `font`.
QIcon mode_button_icon(const QString& caption, const QFont& font);

// The join tree's pictures (16 by 16): a member table, a join field and the join's root.
QIcon join_member_icon();
QIcon join_field_icon();
QIcon join_root_icon();

// Where a field of the field list comes from, numbered as the field's kind is stored (0, 1, 2).
enum class FieldOrigin { host = 0, offset = 1, calculated = 2 };
inline constexpr QSize kFieldIconSize{32, 16};
// The field list's glyph (32 by 16): the origin on the left, and on the right a mark when the field is formatted.
QIcon field_icon(FieldOrigin origin, bool formatted);

}  // namespace kestra::ui
