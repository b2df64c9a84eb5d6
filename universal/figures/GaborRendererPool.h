#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Rectangle.h"

namespace Stimora {
namespace StimulusTemplate {

/// The process-wide pool of Gabor renderers, one per sigma value, shared by every patch of
/// that sigma. A renderer holds the Gaussian window as an RGBA image and the thin vertical
/// bars that tile a disc; patches address renderers by index, and indices never change.
class GaborRendererPool {
public:
    /// What a patch of one sigma draws with.
    struct Renderer {
        int users = 0; ///< patches holding this renderer
        int size = 0;  ///< N = (int)(sigma x 6), pixels per side
        /// The sigma it serves, in pixels.
        double sigma = 0.0;
        std::unique_ptr<Image> window; ///< N x N RGBA FLOAT: grey 0.5, alpha 1 - Gaussian
        std::vector<Rectangle> bars;   ///< N strips 1.1 pixel wide; 0 and N - 1 unused
        /// The window and bars are built (false after the last user released it).
        bool ready = false;
        /// Bars 1 to N - 4 about the disc's centre; placed and rotated per draw.
        std::unique_ptr<Group> grating;
    };

    /// The pool of the process (made at start-up, never destroyed).
    static GaborRendererPool& instance();

    /// The index of a ready renderer for exactly this sigma, counting one more user: an
    /// existing one (rebuilt in place if its last user had released it) or a new one.
    int acquire(double sigma);
    /// Counts one user less; at zero the window image and the bars are freed.
    void release(int index);
    /// The renderer at an index returned by acquire.
    Renderer& at(int index);
    /// Renderers ever made (released ones keep their places).
    std::size_t size() const { return renderers.size(); }

    /// N for a sigma: (int)(sigma x 6), 0 for sigma that is not positive or absurdly large.
    static int sizeFor(double sigma);

private:
    GaborRendererPool() = default;
    static void build(Renderer& renderer, double sigma);
    static void destroy(Renderer& renderer);

    std::vector<std::unique_ptr<Renderer>> renderers;
};

} // namespace StimulusTemplate
} // namespace Stimora
