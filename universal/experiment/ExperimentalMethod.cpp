#include "experiment/ExperimentalMethod.h"

#include "base/Exception.h"
#include "devices/Keyboard.h"
#include "display/Canvas.h"
#include "display/Color.h"
#include "file/Paths.h"

#include <cctype>
#include <string>
#include <typeinfo>

namespace Stimora {
namespace ExperimentalMethods {

ExperimentalMethod::ExperimentalMethod()
    : fileTemplate("%EXPNAME__%TIME_.dat"), repetitions(1), trialCount(0), currentTrial(0) {}

ExperimentalMethod::~ExperimentalMethod() {
    for (Variable* variable : dependentVariables)
        delete variable;
    for (Variable* variable : independentVariables)
        delete variable;
}

void ExperimentalMethod::afterSave() {}

void ExperimentalMethod::waitForStart() {}

void ExperimentalMethod::takeName() {
    std::string typeName = qualifiedTypeName(typeid(*this));
    // The name becomes part of the result file's name: a class in an anonymous namespace is
    // named by its own qualified name, and characters a file name cannot safely hold (blanks,
    // brackets of templates, separators) become '_'.
    const std::string anonymous = "(anonymous namespace)::";
    for (std::size_t at = typeName.find(anonymous); at != std::string::npos; at = typeName.find(anonymous))
        typeName.erase(at, anonymous.size());
    for (char& c : typeName)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '-' || c == '.'))
            c = '_';
    // Type names that open with a marker rather than a letter carry two characters of it.
    const char first = typeName.empty() ? '\0' : typeName[0];
    const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    if (!letter)
        typeName.erase(0, 2);
    name = typeName;
    setCurrentExperimentName(name);
}

void ExperimentalMethod::showStartScreen() {
    Stimora::clear(Canvas::back);
    const Point center = Stimora::getCenter();
    Stimora::message("Push space bar to start.", center.x * 0.5 - 30, center.y * 0.5 - 3, Color::white, 0,
                     -1);
    Stimora::flip(1);
    // Each query pumps one window message; only the space bar leaves the start screen.
    while (!Keyboard::pushed(Keyboard::space)) {
    }
    Stimora::clear(Canvas::back);
    Stimora::flip(1);
}

void ExperimentalMethod::run() {
    takeName();
    prepare();
    runTrials();
    finish();
}

} // namespace ExperimentalMethods
} // namespace Stimora
