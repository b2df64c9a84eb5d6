#include "display/Drawable.h"

#include "display/DrawableDummy.h"

namespace Stimora {

Drawable& Drawable::patches(const ShaderPatch*, std::size_t) {
    DrawableDummy::instance().refuse();
    return *this;
}

Drawable& Drawable::cacheLetters(Letters&, bool) {
    return *this;
}

} // namespace Stimora
