#pragma once

// Variables that own their value, and the procedures' variable lists as Python sees them.

#include "Bindings.h"

#include <memory>
#include <vector>

namespace StimoraPython {

/// The value cell comes first, so that it exists when the variable binds to it.
template <class T> struct ValueCell { T cell; };

/// A variable holding its own value: Python has no value a variable could bind to.
template <class T>
class OwnedVariable : private ValueCell<T>, public Stimora::ExperimentalMethods::VariableInstance<T> {
public:
    explicit OwnedVariable(T value)
        : ValueCell<T>{value}, Stimora::ExperimentalMethods::VariableInstance<T>(ValueCell<T>::cell) {}
};

/// A new variable owning value, appended to list, which owns it from then on.
template <class T>
Stimora::ExperimentalMethods::VariableInstance<T>& appendTo(Stimora::ExperimentalMethods::VariableList& list,
                                                            T value) {
    auto made = std::make_unique<OwnedVariable<T>>(value);
    Stimora::ExperimentalMethods::VariableInstance<T>& variable = *made;
    list.append(std::move(made));
    return variable;
}

/// independentVariables or dependentVariables of a procedure, which owns what is appended.
struct VariableVector {
    std::vector<Stimora::ExperimentalMethods::Variable*>* list;

    Stimora::ExperimentalMethods::VariableInstance<int>& appendInt(int value) {
        auto* made = new OwnedVariable<int>(value);
        list->push_back(made);
        return *made;
    }
    Stimora::ExperimentalMethods::VariableInstance<double>& appendDouble(double value) {
        auto* made = new OwnedVariable<double>(value);
        list->push_back(made);
        return *made;
    }
    Stimora::ExperimentalMethods::Variable& at(std::size_t index) const {
        if (index >= list->size())
            throw py::index_error("variable index out of range");
        return *(*list)[index];
    }
};

} // namespace StimoraPython
