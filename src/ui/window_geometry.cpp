#include "ui/window_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <vector>

namespace kestra::ui {

workspace::PlacementRect to_placement_rect(const QRect& rect) {
    // Windows rectangles end one past the last pixel.
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect to_qrect(const workspace::PlacementRect& rect) {
    return QRect(rect.left, rect.top, static_cast<int>(rect.width()), static_cast<int>(rect.height()));
}

workspace::WindowPlacement current_placement(const QWidget* window, const QRect& normal_geometry) {
    workspace::WindowPlacement p;
    if (window->isMaximized()) {
        p.flags = workspace::WindowPlacement::kRestoreToMaximized;
        p.show_command = workspace::WindowPlacement::kShowMaximized;
    } else if (window->isMinimized()) {
        p.show_command = workspace::WindowPlacement::kShowMinimized;
    }
    p.normal = to_placement_rect(normal_geometry);
    return p;
}

QRect fit_to_screens(const QRect& rect) {
    std::vector<workspace::PlacementRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens.push_back(to_placement_rect(primary->availableGeometry()));
    for (QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen()) screens.push_back(to_placement_rect(s->availableGeometry()));
    return to_qrect(workspace::fit_to_screens(to_placement_rect(rect), screens));
}

}  // namespace kestra::ui
