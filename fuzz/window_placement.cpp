// Saved placements come from a hand-editable settings file: any text must either be refused or give a placement
// whose rectangle is sound, and what is accepted must write back as the same value.
#include "workspace/window_placement.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace ws = kestra::workspace;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);

    if (const auto p = ws::parse_placement(in)) {
        if (p->normal.right <= p->normal.left || p->normal.bottom <= p->normal.top) std::abort();
        const auto again = ws::parse_placement(ws::format_placement(*p));
        if (!again || !(*again == *p)) std::abort();
        // Moved onto a screen, it stays a rectangle of the same size or smaller, on that screen.
        const ws::PlacementRect screens[] = {{0, 0, 1024, 768}, {1024, 0, 2048, 768}};
        const ws::PlacementRect fitted = ws::fit_to_screens(p->normal, screens);
        if (fitted.width() <= 0 || fitted.height() <= 0 || fitted.width() > p->normal.width()) std::abort();
        if (!fitted.intersects(screens[0]) && !fitted.intersects(screens[1])) std::abort();
    }
    if (const auto s = ws::parse_splitter(in)) {
        if (s->width < 0 || s->height < 0 || s->min_width < 0 || s->min_height < 0) std::abort();
        const auto again = ws::parse_splitter(ws::format_splitter(*s));
        if (!again || !(*again == *s)) std::abort();
    }
    return 0;
}
