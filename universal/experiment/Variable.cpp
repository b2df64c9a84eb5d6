#include "experiment/Variable.h"

namespace Stimora {
namespace ExperimentalMethods {

Variable& Variable::label(const std::string& text) {
    label_ = text;
    return *this;
}

} // namespace ExperimentalMethods
} // namespace Stimora
