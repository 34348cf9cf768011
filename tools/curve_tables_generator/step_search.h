#pragma once

#include <cstdint>

#include "tools/curve_tables_generator/curve_fitting.h"

// What repeated and mixed lighter and darker steps do to the levels.
struct RoundTrip {
    int changed;  // inputs whose level does not come back
    int lowest;   // smallest result minus input
    int highest;  // largest result minus input
};

struct StepFigures {
    int six_lighter_from_16;
    int six_lighter_from_128;
    int six_darker_from_128;
    int six_darker_from_224;
    RoundTrip lighter_then_darker;
    RoundTrip darker_then_lighter;
};

StepFigures measure_steps(const Curve& lighter, const Curve& darker);

// How far the figures are from what the steps must do (0 when all are met):
// six lighter steps take 16 to 33 and 128 to 188, six darker steps take 128 to 63 and 224 to 188;
// lighter then darker changes 145 levels by -2..+1, darker then lighter 145 levels by -2..0.
int step_misses(const StepFigures& figures);

// Searches the levels of the lighter and darker curves inside their bands (knots stay put, each curve
// stays non-decreasing) for a pair that meets the step figures, staying as close to the targets as it
// can. Deterministic: the same inputs give the same curves.
void search_steps(Curve& lighter, const Band& lighter_band, const Target& lighter_target, Curve& darker,
                  const Band& darker_band, const Target& darker_target);
