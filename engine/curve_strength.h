#pragma once

#include "engine/curve_triple.h"

/// The strength of a correction in per cent: 100 is the curves as they are, 0 leaves every level.
constexpr int kFullStrength = 100;

/// `curves` taken back towards the identity: level x of each channel becomes
/// x + percent / 100 * (c(x) - x), rounded to the nearest level, halves away from x.
/// `percent` outside 0..100 is clamped. Integer arithmetic only, so every CPU gives the same levels.
CurveTriple curves_at_strength(const CurveTriple& curves, int percent);
