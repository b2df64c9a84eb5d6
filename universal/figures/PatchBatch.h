#pragma once

#include <cstddef>
#include <vector>

#include "base/ShaderPatch.h"
#include "display/Drawable.h"

namespace Stimora {
namespace StimulusTemplate {

/// Many gratings or Gabor patches, each with its own parameters, drawn by the graphics card
/// in one draw call. Change any patch's parameters between frames through at(); once the
/// batch has held its largest number of patches, no frame allocates.
class PatchBatch {
public:
    /// Room for capacity patches without allocating.
    explicit PatchBatch(std::size_t capacity = 0);
    /// Appends a patch; returns its index.
    std::size_t add(const ShaderPatch& patch);
    /// The patch at index, to read or change.
    ShaderPatch& at(std::size_t index) { return list.at(index); }
    /// The patch at index, to read.
    const ShaderPatch& at(std::size_t index) const { return list.at(index); }
    /// Number of patches.
    std::size_t size() const { return list.size(); }
    /// Removes every patch (keeps the room).
    void clear() { list.clear(); }
    /// Draws every patch on target (a canvas) in one draw call.
    PatchBatch& draw(Drawable& target = defaultTarget());

    /// Draws count patches on target, which must be a canvas (a refusal otherwise).
    static void draw(const ShaderPatch* patches, std::size_t count, Drawable& target);

private:
    std::vector<ShaderPatch> list;
};

} // namespace StimulusTemplate
} // namespace Stimora
