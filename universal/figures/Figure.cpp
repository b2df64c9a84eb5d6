#include "figures/Figure.h"

#include "figures/Group.h"

namespace Stimora {

Figure& Figure::appendTo(Group& group) {
    group.append(*this);
    return *this;
}

} // namespace Stimora
