#include "engine/database.h"

#include "engine/curve_tables.h"

namespace {

// Written only by fill_curve_database; every other access goes through const pointers or references.
struct CurveDatabase {
    CurveTriple camera_curve_1;
    CurveTriple camera_curve_2;
    CurveTriple camera_curve_3;
    CurveTriple camera_curve_4;
    CurveTriple camera_curve_5;
    CurveTriple camera_curve_6;
    CurveTriple phone_curve_1;
    CurveTriple phone_curve_2;
    CurveTriple phone_curve_3;
    CurveTriple phone_curve_4;
    CurveTriple phone_curve_5;
    CurveTriple phone_curve_6;
    CurveTriple shared_curve_7;
    CurveTriple shared_curve_8;
    CurveTriple shared_curve_9;
    CurveTriple lighter_curve;
    CurveTriple darker_curve;
};
CurveDatabase database;

constexpr int profile_count = 14;

const CurveTriple* const camera_profile_table[profile_count] = {
    nullptr,
    &database.camera_curve_1,
    &database.camera_curve_2,
    &database.camera_curve_3,
    &database.camera_curve_4,
    &database.camera_curve_5,
    &database.camera_curve_6,
    &database.shared_curve_7,
    &database.shared_curve_8,
    &database.shared_curve_9,
    &database.lighter_curve,
    &database.darker_curve,
    nullptr,
    nullptr,
};

const CurveTriple* const phone_profile_table[profile_count] = {
    nullptr,
    &database.phone_curve_1,
    &database.phone_curve_2,
    &database.phone_curve_3,
    &database.phone_curve_4,
    &database.phone_curve_5,
    &database.phone_curve_6,
    &database.shared_curve_7,
    &database.shared_curve_8,
    &database.shared_curve_9,
    &database.lighter_curve,
    &database.darker_curve,
    nullptr,
    &database.camera_curve_2,
};

}  // namespace

const CurveTriple& lighter_curve = database.lighter_curve;
const CurveTriple& darker_curve = database.darker_curve;

void fill_curve_database()
{
    database.camera_curve_1 = built_in_levels::camera_curve_1;
    database.camera_curve_2 = built_in_levels::camera_curve_2;
    database.camera_curve_3 = built_in_levels::camera_curve_3;
    database.camera_curve_4 = built_in_levels::camera_curve_4;
    database.camera_curve_5 = built_in_levels::camera_curve_5;
    database.camera_curve_6 = built_in_levels::camera_curve_6;
    database.phone_curve_1 = built_in_levels::phone_curve_1;
    database.phone_curve_2 = built_in_levels::phone_curve_2;
    database.phone_curve_3 = built_in_levels::phone_curve_3;
    database.phone_curve_4 = built_in_levels::phone_curve_4;
    database.phone_curve_5 = built_in_levels::phone_curve_5;
    database.phone_curve_6 = built_in_levels::phone_curve_6;
    database.shared_curve_7 = built_in_levels::shared_curve_7;
    database.shared_curve_8 = built_in_levels::shared_curve_8;
    database.shared_curve_9 = built_in_levels::shared_curve_9;
    database.lighter_curve = built_in_levels::lighter_curve;
    database.darker_curve = built_in_levels::darker_curve;
}

const CurveTriple* curve_for_profile(CameraType camera_type, int index)
{
    const CurveTriple* const* table =
        camera_type == CameraType::DigitalCamera ? camera_profile_table : phone_profile_table;
    // Negative indices wrap to large unsigned values and so fall outside the table like any other.
    const unsigned slot = static_cast<unsigned>(index);
    return slot < profile_count ? table[slot] : nullptr;
}
