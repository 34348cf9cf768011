#pragma once

/// The ways apply_curves can run its lookups, slowest first. All give identical words.
enum class CurvePath {
    plain,        // one byte lookup per channel; any CPU
    pair_tables,  // green and blue looked up together in a 64 K table built per pass; any CPU
    vbmi,         // AVX-512 VBMI byte permutes; x86-64 with those instructions
};

/// The fastest path this CPU runs, lowered by TINTELO_CURVE_PATH=plain|pair_tables|vbmi
/// (a request above what the CPU has is ignored). Decided once per process.
CurvePath curve_path();

/// Overrides the choice for the rest of the process (benchmarks compare paths side by side);
/// a path the CPU lacks falls back to the fastest it has.
void set_curve_path(CurvePath path);

/// The fastest path this CPU runs, whatever the environment says.
CurvePath fastest_curve_path();

const char* curve_path_name(CurvePath path);
