#include "photo_files/lcms_handles.h"

namespace {

IccProfile saved_bytes(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    if (profile == nullptr || !cmsSaveProfileToMem(profile, nullptr, &size) || size == 0) return {};
    IccProfile bytes(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) return {};
    bytes.resize(size);
    return bytes;
}

}  // namespace

IccProfile built_profile_bytes(cmsHPROFILE profile, const char* description)
{
    const OwnedProfile owned(profile);
    if (profile == nullptr) return {};
    cmsSetProfileVersion(profile, 2.1);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    if (text != nullptr) {
        cmsMLUsetASCII(text, "en", "US", description);
        cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
        cmsMLUfree(text);
    }
    return saved_bytes(profile);
}
