#pragma once

#include "engine/camera_type.h"
#include "engine/curve_triple.h"

// The tone-curve database: 17 built-in triples in static storage and the two tables that map a
// profile index to one of them, one table per camera type.

/// Writes every level of the 17 triples from the built-in constants. Call once before any photo is
/// corrected; calling it again writes the same values. Allocates nothing and cannot fail.
void fill_curve_database();

/// The triple for `index` in the camera table when `camera_type` is DigitalCamera, else in the phone
/// table; nullptr when the index has none (0, 12, 13 for a camera, and anything outside 0..13,
/// negative indices included). The triple is shared and read-only.
const CurveTriple* curve_for_profile(CameraType camera_type, int index);

/// The lighter and darker steps, the same triples as profile indices 10 and 11 of both tables.
extern const CurveTriple& lighter_curve;
extern const CurveTriple& darker_curve;
