// The Gabor templates, gratings and patch batches. A PatchBatch takes a parameter for every
// patch from one numpy array in one call (set), so a frame of many patches changes numbers
// in C++ only.

#include "Bindings.h"

#include <cstring>
#include <string>

namespace StimoraPython {

using namespace Stimora;
using namespace Stimora::StimulusTemplate;

namespace {

Drawable& on(Drawable* target) {
    return target != nullptr ? *target : defaultTarget();
}

struct Field {
    const char* name;
    double ShaderPatch::*real;
    int ShaderPatch::*whole;
};

const Field fields[] = {
    {"left", &ShaderPatch::left, nullptr},
    {"top", &ShaderPatch::top, nullptr},
    {"width", &ShaderPatch::width, nullptr},
    {"height", &ShaderPatch::height, nullptr},
    {"gratingX", &ShaderPatch::gratingX, nullptr},
    {"gratingY", &ShaderPatch::gratingY, nullptr},
    {"envelopeX", &ShaderPatch::envelopeX, nullptr},
    {"envelopeY", &ShaderPatch::envelopeY, nullptr},
    {"wavelength", &ShaderPatch::wavelength, nullptr},
    {"phase", &ShaderPatch::phase, nullptr},
    {"orientation", &ShaderPatch::orientation, nullptr},
    {"contrast", &ShaderPatch::contrast, nullptr},
    {"sigma", &ShaderPatch::sigma, nullptr},
    {"aspect", &ShaderPatch::aspect, nullptr},
    {"mean", &ShaderPatch::mean, nullptr},
    {"radius", &ShaderPatch::radius, nullptr},
    {"barRadius", &ShaderPatch::barRadius, nullptr},
    {"profile", nullptr, &ShaderPatch::profile},
    {"aperture", nullptr, &ShaderPatch::aperture},
    {"lastBar", nullptr, &ShaderPatch::lastBar},
};

const Field& field(const std::string& name) {
    for (const Field& f : fields)
        if (name == f.name)
            return f;
    throw Exception(typeid(PatchBatch), "ARGUMENT ERROR", "A patch has no parameter \"" + name + "\".");
}

// Sets one parameter of every patch from values (one per patch), or from one number for all.
void setAll(PatchBatch& batch, const std::string& name,
            const py::array_t<double, py::array::forcecast>& values) {
    const Field& f = field(name);
    const std::size_t count = batch.size();
    const bool single = values.ndim() == 0 || (values.ndim() == 1 && values.shape(0) == 1);
    if (!single && (values.ndim() != 1 || static_cast<std::size_t>(values.shape(0)) != count))
        throw Exception(typeid(PatchBatch), "ARGUMENT ERROR",
                        "PatchBatch.set(\"" + name + "\"): " + std::to_string(count) +
                            " values are needed, one per patch.");
    const double* data = values.data();
    const py::ssize_t stride =
        values.ndim() == 1 ? values.strides(0) / static_cast<py::ssize_t>(sizeof(double)) : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = single ? data[0] : data[static_cast<py::ssize_t>(i) * stride];
        ShaderPatch& patch = batch.at(i);
        if (f.real != nullptr)
            patch.*(f.real) = v;
        else
            patch.*(f.whole) = static_cast<int>(v);
    }
}

py::array_t<double> getAll(const PatchBatch& batch, const std::string& name) {
    const Field& f = field(name);
    py::array_t<double> values(static_cast<py::ssize_t>(batch.size()));
    double* out = values.mutable_data();
    for (std::size_t i = 0; i < batch.size(); ++i)
        out[i] = f.real != nullptr ? batch.at(i).*(f.real) : batch.at(i).*(f.whole);
    return values;
}

// The forms every Gabor template shares.
template <class T, class Class> void gaborForms(Class& c) {
    c.def("set", py::overload_cast<double, double, double, double, double>(&T::set), py::arg("wavelength"),
          py::arg("sigma"), py::arg("contrast"), py::arg("orientation"), py::arg("phase"), doc("Gabor.set"),
          chain)
        .def("setContrast", &T::setContrast, doc("Gabor.setContrast"), chain)
        .def("setWavelength", &T::setWavelength, doc("Gabor.setWavelength"), chain)
        .def("setOrientation", &T::setOrientation, doc("Gabor.setOrientation"), chain)
        .def("setPhase", &T::setPhase, doc("Gabor.setPhase"), chain)
        .def("shift", &T::shift, py::arg("dx"), py::arg("dy"), py::arg("dz") = 0.0, doc("Gabor.shift"), chain)
        .def("centerAt", py::overload_cast<double, double, double>(&T::centerAt), py::arg("x"), py::arg("y"),
             py::arg("z") = 0.0, doc("Gabor.centerAt"), chain)
        .def("centerAt", py::overload_cast<const Point&>(&T::centerAt), chain)
        .def("centerAt", py::overload_cast<Drawable&>(&T::centerAt), chain)
        .def(
            "draw", [](T& g, int x, int y, Drawable* target) -> T& { return g.draw(x, y, on(target)); },
            py::arg("x"), py::arg("y"), py::arg("target") = nullptr, doc("Gabor.draw"), chain)
        .def(
            "draw", [](T& g, Drawable* target) -> T& { return g.draw(on(target)); },
            py::arg("target") = nullptr, chain);
}

} // namespace

void bindGabor(py::module_& m) {
    py::class_<ShaderPatch> patch(m, "ShaderPatch", doc("ShaderPatch"));
    patch.def(py::init<>());
    for (const Field& f : fields) {
        const std::string key = std::string("ShaderPatch.") + f.name;
        if (f.real != nullptr)
            patch.def_readwrite(f.name, f.real, doc(key.c_str()));
        else
            patch.def_readwrite(f.name, f.whole, doc(key.c_str()));
    }
    patch.attr("sine") = static_cast<int>(ShaderPatch::sine);
    patch.attr("square") = static_cast<int>(ShaderPatch::square);
    patch.attr("none") = static_cast<int>(ShaderPatch::none);
    patch.attr("circular") = static_cast<int>(ShaderPatch::circular);
    patch.attr("gaussian") = static_cast<int>(ShaderPatch::gaussian);

    py::class_<Gabor, Figure>(m, "Gabor", py::multiple_inheritance(), doc("Gabor"))
        .def("getWavelength", &Gabor::getWavelength, doc("Gabor.getWavelength"))
        .def("getOrientation", &Gabor::getOrientation, doc("Gabor.getOrientation"))
        .def("getPhase", &Gabor::getPhase, doc("Gabor.getPhase"))
        .def("getContrast", &Gabor::getContrast, doc("Gabor.getContrast"))
        .def("getSigma", &Gabor::getSigma, doc("Gabor.getSigma"))
        .def("getX", &Gabor::getX, doc("Gabor.getX"))
        .def("getY", &Gabor::getY)
        .def("getWidth", &Gabor::getWidth, doc("Gabor.getWidth"))
        .def("getHeight", &Gabor::getHeight);

    py::class_<QuickGabor, Gabor> quick(m, "QuickGabor", py::multiple_inheritance(), doc("QuickGabor"));
    quick.def(py::init<>(), doc("QuickGabor.QuickGabor"))
        .def(py::init<double, double, double, double, double>(), py::arg("wavelength"), py::arg("sigma"),
             py::arg("contrast"), py::arg("orientation"), py::arg("phase"));
    gaborForms<QuickGabor>(quick);

    py::class_<ProceduralGabor, Gabor> procedural(m, "ProceduralGabor", py::multiple_inheritance(),
                                                  doc("ProceduralGabor"));
    procedural.def(py::init<>(), doc("ProceduralGabor.ProceduralGabor"))
        .def(py::init<double, double, double, double, double>(), py::arg("wavelength"), py::arg("sigma"),
             py::arg("contrast"), py::arg("orientation"), py::arg("phase"))
        .def("setSigma", &ProceduralGabor::setSigma, doc("ProceduralGabor.setSigma"), chain)
        .def("setAspect", &ProceduralGabor::setAspect, doc("ProceduralGabor.setAspect"), chain)
        .def("setProfile", &ProceduralGabor::setProfile, doc("ProceduralGabor.setProfile"), chain)
        .def("setAperture", &ProceduralGabor::setAperture, doc("ProceduralGabor.setAperture"), chain)
        .def("setMean", &ProceduralGabor::setMean, doc("ProceduralGabor.setMean"), chain)
        .def("patchAt", &ProceduralGabor::patchAt, doc("ProceduralGabor.patchAt"))
        .def("patch", &ProceduralGabor::patch, doc("ProceduralGabor.patch"));
    gaborForms<ProceduralGabor>(procedural);

    py::class_<Grating, Figure>(m, "Grating", py::multiple_inheritance(), doc("Grating"))
        .def(py::init<double, double, double, double, double, double>(), py::arg("width") = 0.0,
             py::arg("height") = 0.0, py::arg("wavelength") = 0.0, py::arg("contrast") = 0.0,
             py::arg("orientation") = 0.0, py::arg("phase") = 0.0, doc("Grating.Grating"))
        .def("setSize", &Grating::setSize, doc("Grating.setSize"), chain)
        .def("setWavelength", &Grating::setWavelength, doc("Grating.setWavelength"), chain)
        .def("setOrientation", &Grating::setOrientation, doc("Grating.setOrientation"), chain)
        .def("setPhase", &Grating::setPhase, doc("Grating.setPhase"), chain)
        .def("setContrast", &Grating::setContrast, doc("Grating.setContrast"), chain)
        .def("setMean", &Grating::setMean, doc("Grating.setMean"), chain)
        .def("setProfile", &Grating::setProfile, doc("Grating.setProfile"), chain)
        .def("setAperture", &Grating::setAperture, py::arg("aperture"), py::arg("radiusOrSigma") = 0.0,
             py::arg("aspect") = 1.0, doc("Grating.setAperture"), chain)
        .def("patch", &Grating::patch, doc("Grating.patch"))
        .def(
            "draw", [](Grating& g, Drawable* target) -> Grating& { return g.draw(on(target)); },
            py::arg("target") = nullptr, doc("Grating.draw"), chain);

    py::class_<PatchBatch>(m, "PatchBatch", doc("PatchBatch"))
        .def(py::init<std::size_t>(), py::arg("capacity") = 0, doc("PatchBatch.PatchBatch"))
        .def("add", &PatchBatch::add, doc("PatchBatch.add"))
        .def("at", py::overload_cast<std::size_t>(&PatchBatch::at), doc("PatchBatch.at"),
             py::return_value_policy::reference_internal)
        .def("size", &PatchBatch::size, doc("PatchBatch.size"))
        .def("__len__", &PatchBatch::size)
        .def("clear", &PatchBatch::clear, doc("PatchBatch.clear"))
        .def("set", &setAll, py::arg("name"), py::arg("values"),
             "Sets the parameter name (a ShaderPatch field: \"phase\", \"contrast\", \"left\", ...) of every "
             "patch in one call, from a numpy array of one value per patch, or one number for all.")
        .def("get", &getAll, py::arg("name"), "The parameter name of every patch, as a new numpy array.")
        .def(
            "draw", [](PatchBatch& b, Drawable* target) -> PatchBatch& { return b.draw(on(target)); },
            py::arg("target") = nullptr, doc("PatchBatch.draw"), chain);
}

} // namespace StimoraPython
