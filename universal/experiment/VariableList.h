#pragma once

#include "experiment/Variable.h"
#include "experiment/VariableInstance.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// An ordered list of experiment variables, which it owns: registration appends, the
/// console and the procedures walk it in order, and destruction deletes every variable in
/// list order (the bound values are not touched).
class VariableList {
public:
    VariableList() = default;
    VariableList(const VariableList&) = delete;
    VariableList& operator=(const VariableList&) = delete;
    ~VariableList();

    /// Registers value (not owned) as a new int variable at the end of the list.
    VariableInstance<int>& append(int& value);
    /// Registers value (not owned) as a new double variable at the end of the list.
    VariableInstance<double>& append(double& value);

    /// Takes over a variable made elsewhere (a derived kind) and appends it.
    Variable& append(std::unique_ptr<Variable> variable);

    /// Number of variables.
    std::size_t size() const { return variables_.size(); }
    /// True when no variable is registered.
    bool empty() const { return variables_.empty(); }
    /// The variable at index (0-based, registration order); unchecked.
    Variable& operator[](std::size_t index) const { return *variables_[index]; }
    /// The variable at index; raises std::out_of_range("invalid vector<T> subscript").
    Variable& at(std::size_t index) const;
    /// Deletes every variable, in list order.
    void clear();

    /// Iterates over pointers to the variables (owned by the list).
    using const_iterator = std::vector<Variable*>::const_iterator;
    /// The first variable: walks the variables in registration order.
    const_iterator begin() const { return variables_.begin(); }
    /// Past the last variable.
    const_iterator end() const { return variables_.end(); }

private:
    std::vector<Variable*> variables_; // owned; deleted by clear()
};

/// The program-wide variable list, created empty before the first use and cleared at
/// process exit: the one list experiment code registers into.
VariableList& globalVariables();

} // namespace ExperimentalMethods
} // namespace Stimora
