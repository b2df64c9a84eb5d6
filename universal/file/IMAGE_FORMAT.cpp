#include "file/IMAGE_FORMAT.h"

namespace Stimora {
namespace IMAGE_FORMATS {

IMAGE_FORMAT::~IMAGE_FORMAT() = default;

} // namespace IMAGE_FORMATS
} // namespace Stimora
