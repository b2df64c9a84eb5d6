#include "figures/PatchBatch.h"

#include "display/Drawable.h"

namespace Stimora {
namespace StimulusTemplate {

PatchBatch::PatchBatch(std::size_t capacity) {
    list.reserve(capacity);
}

std::size_t PatchBatch::add(const ShaderPatch& patch) {
    list.push_back(patch);
    return list.size() - 1;
}

PatchBatch& PatchBatch::draw(Drawable& target) {
    draw(list.data(), list.size(), target);
    return *this;
}

void PatchBatch::draw(const ShaderPatch* patches, std::size_t count, Drawable& target) {
    target.patches(patches, count);
}

} // namespace StimulusTemplate
} // namespace Stimora
