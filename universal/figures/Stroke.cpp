#include "figures/Stroke.h"

namespace Stimora {

// From literals, not from Color::null: constant initialisation keeps it usable by other
// files' static initialisers.
const Stroke Stroke::null(Color(Color::raw, 0.0, 0.0, 0.0, 0.0), 0.0, 0xFFFF);

} // namespace Stimora
