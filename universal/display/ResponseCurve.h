#pragma once

#include <vector>

namespace Stimora {

/// A display's luminance response: the luminance in cd/m² that a value v in 0..1 sent to the
/// display shows. Either a power function with an offset, L = offset + (scale x v)^gamma, or a
/// monotone cubic through measured points (Fritsch-Carlson), for displays no power function fits.
class ResponseCurve {
public:
    /// The parameters of L = offset + (scale x v)^gamma.
    struct Power {
        double offset = 0.0; ///< luminance at v = 0, cd/m²
        double scale = 1.0;  ///< cd/m² to the 1 / gamma
        double gamma = 1.0;  ///< exponent
    };

    /// The identity response L = v.
    ResponseCurve() = default;
    /// A power function with an offset; raises an Exception "ARGUMENT ERROR" unless scale and
    /// gamma are above 0 and the offset is not negative.
    static ResponseCurve power(const Power& parameters);
    /// The monotone cubic through the points (values[i], luminances[i]), values increasing from
    /// 0 to 1. Luminances that fall as the value rises (noise near black) are first pooled with
    /// their neighbours, so that the curve never falls. Raises an Exception "ARGUMENT ERROR" for
    /// fewer than two points or values out of order.
    static ResponseCurve spline(const std::vector<double>& values, const std::vector<double>& luminances);

    /// Luminance at v (v limited to 0..1).
    double luminance(double v) const;
    /// The value in 0..1 that shows a luminance (limited to the response's range).
    double value(double candelas) const;
    /// Luminance at v = 0.
    double black() const { return luminance(0.0); }
    /// Luminance at v = 1.
    double white() const { return luminance(1.0); }
    /// The values that show entries luminances evenly spaced from black() to white(): a gamma
    /// table under which requested intensities are linear in luminance.
    std::vector<double> table(int entries = 256) const;

private:
    bool isPower = true;
    Power parameters;
    std::vector<double> xs, ys, slopes;
};

} // namespace Stimora
