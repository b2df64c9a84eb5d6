// The extension module `stimora`.

#include "Bindings.h"

PYBIND11_MODULE(stimora, module) {
    StimoraPython::bindAll(module);
}
