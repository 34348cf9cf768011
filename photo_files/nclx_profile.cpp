#include "photo_files/nclx_profile.h"

#include "photo_files/lcms_handles.h"

namespace {

struct Primaries {
    int code;
    cmsCIExyYTRIPLE colorants;
    cmsCIExyY white;
};

constexpr cmsCIExyY kD65{0.3127, 0.3290, 1.0};
constexpr cmsCIExyY kIlluminantC{0.310, 0.316, 1.0};

// ITU-T H.273's colour primaries, by code.
constexpr Primaries kPrimaries[] = {
    {1, {{0.640, 0.330, 1}, {0.300, 0.600, 1}, {0.150, 0.060, 1}}, kD65},
    {4, {{0.67, 0.33, 1}, {0.21, 0.71, 1}, {0.14, 0.08, 1}}, kIlluminantC},
    {5, {{0.64, 0.33, 1}, {0.29, 0.60, 1}, {0.15, 0.06, 1}}, kD65},
    {6, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}, kD65},
    {7, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}, kD65},
    {8, {{0.681, 0.319, 1}, {0.243, 0.692, 1}, {0.145, 0.049, 1}}, kIlluminantC},
    {9, {{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}}, kD65},
    {11, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, {0.314, 0.351, 1}},
    {12, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, kD65},
    {22, {{0.630, 0.340, 1}, {0.295, 0.605, 1}, {0.155, 0.077, 1}}, kD65},
};

const Primaries* primaries_for(int code)
{
    for (const Primaries& primaries : kPrimaries)
        if (primaries.code == code) return &primaries;
    return nullptr;
}

// The decoding curve for H.273's transfer characteristics code, as lcms2's parametric
// curves: type 1 is a plain gamma, type 4 a gamma with a linear toe.
cmsToneCurve* transfer_curve(int transfer)
{
    switch (transfer) {
        case 1:  // BT.709 and its relatives: the inverse of the camera's curve
        case 6:
        case 14:
        case 15: {
            const double bt709[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
            return cmsBuildParametricToneCurve(nullptr, 4, bt709);
        }
        case 4: {
            const double gamma = 2.2;
            return cmsBuildParametricToneCurve(nullptr, 1, &gamma);
        }
        case 5: {
            const double gamma = 2.8;
            return cmsBuildParametricToneCurve(nullptr, 1, &gamma);
        }
        case 8: {
            const double gamma = 1.0;
            return cmsBuildParametricToneCurve(nullptr, 1, &gamma);
        }
        default: {
            const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
            return cmsBuildParametricToneCurve(nullptr, 4, srgb);
        }
    }
}

}  // namespace

IccProfile profile_for_nclx(const NclxColours& colours)
{
    const Primaries* primaries = primaries_for(colours.primaries);
    if (primaries == nullptr) primaries = &kPrimaries[0];
    const bool srgb_curve = colours.transfer == 13 || colours.transfer == 2;
    if (primaries->code == 1 && srgb_curve) return {};
    const OwnedToneCurve curve(transfer_curve(colours.transfer));
    if (!curve) return {};
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    return built_profile_bytes(cmsCreateRGBProfile(&primaries->white, &primaries->colorants, curves),
                               "From the photo's colour description");
}
