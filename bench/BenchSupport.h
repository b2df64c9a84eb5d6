#pragma once

// What the drawing benchmarks share: one full-screen canvas per program.

#include <memory>

#include "base/Exception.h"
#include "display/Canvas.h"
#include "display/Display.h"

namespace Stimora::Bench {

/// The program's full-screen canvas on the primary display, opened on first use and kept
/// to the end; null where no canvas can be opened (no display), so a benchmark can skip.
inline Canvas* canvas() {
    static std::unique_ptr<Canvas> shared;
    static bool tried = false;
    if (!tried) {
        tried = true;
        try {
            shared = std::make_unique<Canvas>(Canvas::fullscreen, Display::primary());
        } catch (const Exception&) {
        }
    }
    return shared.get();
}

} // namespace Stimora::Bench
