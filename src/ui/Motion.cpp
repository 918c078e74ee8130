#include "ui/Motion.h"

#include <cmath>
#include <numbers>

double springPosition(double t, double response, double dampingFraction)
{
    if (t <= 0)
        return 0;
    if (response <= 0)
        return 1;
    const double omega = 2 * std::numbers::pi / response;
    const double zeta = dampingFraction;
    if (zeta >= 1) {
        // critically damped (or more): no overshoot
        return 1 - std::exp(-omega * t) * (1 + omega * t);
    }
    const double omegaD = omega * std::sqrt(1 - zeta * zeta);
    const double decay = std::exp(-zeta * omega * t);
    return 1 - decay * (std::cos(omegaD * t) + (zeta * omega / omegaD) * std::sin(omegaD * t));
}
