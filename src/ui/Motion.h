#pragma once
// Animation curves that the screens use, as pure functions.

// Position of a damped spring released at 0 towards 1, t seconds after release.
// `response` is the period of the undamped oscillation in seconds and
// `dampingFraction` the damping ratio (1 = no overshoot).
double springPosition(double t, double response, double dampingFraction);
