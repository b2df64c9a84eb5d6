#pragma once

// A range on the real line written as a chained comparison: `1 <= range <= 3`.
// The first comparison writes one end of the named interval and returns an accumulator
// that refers to it; the second comparison, on the accumulator, writes the other end.

#include <cstdint>

namespace Stimora {

/// A range whose ends are each a finite bound (included or excluded) or unlimited.
/// Default: the whole real line.
class Interval {
public:
    /// What one end of an interval is. Raised as a bare value by a query on an end that
    /// does not allow it.
    enum TYPES : std::int32_t {
        UNDEFINED = 0,      ///< not defined: every query that examines it raises
        FINITE = 1,         ///< a finite bound at the stored value
        PLUS_INFINITY = 2,  ///< no upper limit (default of the upper end)
        MINUS_INFINITY = 3, ///< no lower limit (default of the lower end)
    };

    /// The whole real line: (-inf, +inf).
    Interval() = default;
    /// Copies both ends.
    Interval(const Interval&) = default;
    /// Copies both ends.
    Interval& operator=(const Interval&) = default;
    virtual ~Interval() = default;

    // One end written, the other reset to unlimited.
    /// upper = y, excluded; lower unlimited.
    Interval& operator<(double y);
    /// upper = y, included; lower unlimited.
    Interval& operator<=(double y);
    /// lower = y, excluded; upper unlimited.
    Interval& operator>(double y);
    /// lower = y, included; upper unlimited.
    Interval& operator>=(double y);
    /// upper end of type t (value 0.0), open flag 1; lower unlimited.
    Interval& operator<(TYPES t);
    /// upper end of type t (value 0.0), open flag 0; lower unlimited.
    Interval& operator<=(TYPES t);
    /// lower end of type t (value 0.0), open flag 1; upper unlimited.
    Interval& operator>(TYPES t);
    /// lower end of type t (value 0.0), open flag 0; upper unlimited.
    Interval& operator>=(TYPES t);

    /// True when x lies in the interval; a NaN is excluded by nothing.
    /// Raises the upper type (a TYPES value) when either end is UNDEFINED.
    bool includes(double x) const;
    /// True when both ends are FINITE.
    bool isBounded() const;
    /// The smallest integer in the interval; raises the lower type unless it is FINITE.
    int lowestInt() const;
    /// The largest integer in the interval; raises the upper type unless it is FINITE.
    int highestInt() const;
    /// a, raised to the smallest integer of the interval when a is not above the lower bound.
    int clipLowerInt(int a) const;
    /// a, lowered to the largest integer of the interval when a is not below the upper bound.
    int clipUpperInt(int a) const;

    /// Writes the lower end and resets the upper end to unlimited.
    void setLowerOnly(TYPES type, int open, double value);
    /// Writes the upper end and resets the lower end to unlimited.
    void setUpperOnly(TYPES type, int open, double value);

    TYPES lowerType = MINUS_INFINITY; ///< kind of the lower end
    std::int32_t lowerOpen = 0;       ///< 0: lower bound included; 1: excluded
    double lowerValue = 0.0;          ///< lower bound when lowerType is FINITE
    TYPES upperType = PLUS_INFINITY;  ///< kind of the upper end
    std::int32_t upperOpen = 0;       ///< 0: upper bound included; 1: excluded
    double upperValue = 0.0;          ///< upper bound when upperType is FINITE
};

/// The value of `x <= interval` and its kin: refers to the interval (not owned) so that a
/// second comparison can write its other end. Lives only within the building expression.
class Interval_acc : public Interval {
public:
    /// Copies the target's bounds and keeps a reference to it.
    explicit Interval_acc(Interval& target);
    /// Copies the bounds; the copy refers to the same interval.
    Interval_acc(const Interval_acc&) = default;
    ~Interval_acc() override = default;

    /// Target's upper = y, excluded; the target is returned.
    Interval& operator<(double y) const;
    /// Target's upper = y, included.
    Interval& operator<=(double y) const;
    /// Target's lower = y, excluded.
    Interval& operator>(double y) const;
    /// Target's lower = y, included.
    Interval& operator>=(double y) const;
    /// Target's upper end of type t, open flag 1.
    Interval& operator<(TYPES t) const;
    /// Target's upper end of type t, open flag 0.
    Interval& operator<=(TYPES t) const;
    /// Target's lower end of type t, open flag 1.
    Interval& operator>(TYPES t) const;
    /// Target's lower end of type t, open flag 0.
    Interval& operator>=(TYPES t) const;

    /// The interval being built.
    Interval& target() const { return target_; }

private:
    Interval& target_;
};

/// x < I: lower = x, excluded; upper unlimited.
Interval_acc operator<(double x, Interval& interval);
/// x <= I: lower = x, included; upper unlimited.
Interval_acc operator<=(double x, Interval& interval);
/// x > I: upper = x, excluded; lower unlimited.
Interval_acc operator>(double x, Interval& interval);
/// x >= I: upper = x, included; lower unlimited.
Interval_acc operator>=(double x, Interval& interval);
/// t < I: lower end of type t, open flag 1; upper unlimited.
Interval_acc operator<(Interval::TYPES t, Interval& interval);
/// t <= I: lower end of type t, open flag 0; upper unlimited.
Interval_acc operator<=(Interval::TYPES t, Interval& interval);
/// t > I: upper end of type t, open flag 1; lower unlimited.
Interval_acc operator>(Interval::TYPES t, Interval& interval);
/// t >= I: upper end of type t, open flag 0; lower unlimited.
Interval_acc operator>=(Interval::TYPES t, Interval& interval);

} // namespace Stimora
