#include "experiment/ExperimentalMethod.h"

#include "application/Exception.h"
#include "file/Paths.h"

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
    // Type names that open with a marker rather than a letter carry two characters of it.
    const char first = typeName.empty() ? '\0' : typeName[0];
    const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    if (!letter)
        typeName.erase(0, 2);
    name = typeName;
    setCurrentExperimentName(name);
}

void ExperimentalMethod::run() {
    takeName();
    prepare();
    runTrials();
    finish();
}

} // namespace ExperimentalMethods
} // namespace Stimora
