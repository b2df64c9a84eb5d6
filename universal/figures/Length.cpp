#include "figures/Length.h"

namespace Stimora {

static_assert(Length(12.5).getPixels() == 12.5, "a Length holds its pixel count unchanged");

} // namespace Stimora
