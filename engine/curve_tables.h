#pragma once

#include "engine/curve_triple.h"

// The built-in constant levels of the 17 tone-curve triples, defined in curve_tables.cpp, which
// tools/curve_tables_generator writes. Only the database copies from them.
namespace built_in_levels {

extern const CurveTriple camera_curve_1;
extern const CurveTriple camera_curve_2;
extern const CurveTriple camera_curve_3;
extern const CurveTriple camera_curve_4;
extern const CurveTriple camera_curve_5;
extern const CurveTriple camera_curve_6;
extern const CurveTriple phone_curve_1;
extern const CurveTriple phone_curve_2;
extern const CurveTriple phone_curve_3;
extern const CurveTriple phone_curve_4;
extern const CurveTriple phone_curve_5;
extern const CurveTriple phone_curve_6;
extern const CurveTriple shared_curve_7;
extern const CurveTriple shared_curve_8;
extern const CurveTriple shared_curve_9;
extern const CurveTriple lighter_curve;
extern const CurveTriple darker_curve;

}  // namespace built_in_levels
