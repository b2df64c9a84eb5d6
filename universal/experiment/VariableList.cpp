#include "experiment/VariableList.h"

#include <stdexcept>

namespace Stimora {
namespace ExperimentalMethods {

VariableList::~VariableList() {
    clear();
}

VariableInstance<int>& VariableList::append(int& value) {
    auto variable = std::make_unique<VariableInstance<int>>(value);
    variables_.push_back(variable.get());
    return *variable.release();
}

VariableInstance<double>& VariableList::append(double& value) {
    auto variable = std::make_unique<VariableInstance<double>>(value);
    variables_.push_back(variable.get());
    return *variable.release();
}

Variable& VariableList::append(std::unique_ptr<Variable> variable) {
    variables_.push_back(variable.get());
    return *variable.release();
}

Variable& VariableList::at(std::size_t index) const {
    if (index >= variables_.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return *variables_[index];
}

void VariableList::clear() {
    for (Variable* variable : variables_)
        delete variable;
    variables_.clear();
}

VariableList& globalVariables() {
    static VariableList list;
    return list;
}

} // namespace ExperimentalMethods
} // namespace Stimora
