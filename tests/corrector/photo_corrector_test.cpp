#include "corrector/photo_corrector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/profile_selection.h"
#include "photo_files/exif_orientation.h"
#include "photo_files/jpeg_encoder.h"
#include "photo_files/jpeg_photo.h"
#include "photo_files/load_outcome.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pixels.h"
#include "tests/support/synthetic_photos.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_jpeg/sample_metadata.h"

namespace fs = std::filesystem;

namespace {

// Records what the window would hear, and what the corrector looked like then.
struct RecordingEvents : CorrectorEvents {
    PhotoCorrector* corrector = nullptr;
    std::vector<std::string> log;
    void busy_changed(bool busy) override { log.push_back(busy ? "busy" : "idle"); }
    void loading_started() override { log.push_back("loading:" + corrector->status_text); }
    void load_failed() override { log.push_back("failed"); }
    void photo_opened() override
    {
        log.push_back(std::string("opened:") + (corrector->photo_loaded ? "loaded" : "not-loaded") + ":" +
                      corrector->status_text);
    }
};

class PhotoCorrectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fill_curve_database();
        events.corrector = &corrector;
    }

    // A photo with a spread of colours, so every curve changes something visible.
    std::string make_photo(const std::string& name, int width, int height)
    {
        Bitmap32 photo;
        fill_photo(photo, width, height, [](int x, int y) {
            return opaque_rgb((x * 7 + y) & 0xFF, (x * 3 + y * 5) & 0xFF, (x + y * 11) & 0xFF);
        });
        const std::string path = folder.file(name);
        write_photo(photo, path);
        return path;
    }

    // Whether the corrected buffer holds `triples` applied to the loaded photo, in order.
    bool corrected_is(const std::vector<const CurveTriple*>& triples)
    {
        Bitmap32 result;
        result.assign(&corrector.org_photo);
        for (const CurveTriple* t : triples) apply_curves(&result, &result, *t);
        result.reset_alpha(255);
        return same_pixels(corrector.corrected_photo, result);
    }

    TempDir folder{"corrector_test"};
    RecordingEvents events;
    PhotoCorrector corrector{&events};
};

TEST_F(PhotoCorrectorTest, StartState)
{
    EXPECT_EQ(corrector.status_text, "READY");
    EXPECT_EQ(corrector.profile_caption, "DIGITAL CAMERA PROFILE");
    EXPECT_EQ(corrector.correction_caption, "AUTOMATIC CORRECTION");
    EXPECT_FALSE(corrector.captions_visible);
    EXPECT_EQ(corrector.toggle_face, 1);
    EXPECT_EQ(corrector.camera_faces, (std::pair<int, int>{3, 5}));
    EXPECT_EQ(corrector.camera_type, CameraType::MobilePhone);
    EXPECT_FALSE(corrector.busy());
    EXPECT_FALSE(corrector.needs_save_prompt());
}

TEST_F(PhotoCorrectorTest, OpenCorrectsForThePhoneTableAndTellsTheWindowInOrder)
{
    const std::string path = make_photo("beach.jpg", 64, 48);
    std::string status_when_dialog_shown;
    corrector.open_photo([&]() -> std::optional<std::string> {
        status_when_dialog_shown = corrector.status_text;
        return path;
    });
    EXPECT_EQ(status_when_dialog_shown, "LOADING PHOTO");
    // busy twice: the open itself, and the correction step inside it.
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"loading:LOADING PHOTO", "busy", "idle", "opened:not-loaded:READY"}));
    EXPECT_TRUE(corrector.photo_loaded);
    EXPECT_FALSE(corrector.photo_saved);
    EXPECT_FALSE(corrector.busy());
    EXPECT_EQ(corrector.status_text, "beach.jpg");
    EXPECT_EQ(corrector.file_part, "beach.jpg");
    EXPECT_EQ(corrector.camera_type, CameraType::MobilePhone);
    EXPECT_EQ(corrector.camera_faces, (std::pair<int, int>{3, 4}));
    EXPECT_EQ(corrector.profile_caption, "MOBILE PHONE PROFILE");
    EXPECT_TRUE(corrector.captions_visible);
    EXPECT_EQ(corrector.toggle_face, 0);
    EXPECT_TRUE(corrector.correction_shown);
    // Measured while it decoded, without a working copy: the indices the copy and measure of
    // the loaded photo give.
    EXPECT_EQ(corrector.working_bitmap.width(), 0);
    Bitmap24 working;
    std::int32_t phone = 5, camera = 1;
    copy_and_select_profiles(corrector.org_photo, working, phone, camera);
    EXPECT_EQ(std::make_pair(corrector.phone_profile, corrector.camera_profile),
              std::make_pair(phone, camera));

    const CurveTriple* triple = curve_for_profile(CameraType::MobilePhone, corrector.phone_profile);
    ASSERT_NE(triple, nullptr);
    EXPECT_TRUE(corrected_is({triple}));
    EXPECT_TRUE(corrector.needs_save_prompt());
}

// Photos of several casts and sizes (one tall enough for many bands, one turned a
// quarter by its EXIF tag) get the indices that measuring the loaded photo whole gives,
// and a second photo of the same size decodes into the storage kept from the first.
TEST_F(PhotoCorrectorTest, OpenMeasuresWhileDecodingAsTheWholePhotoWouldBe)
{
    const struct {
        const char* name;
        int width, height, red, green, blue, orientation;
    } photos[] = {{"warm.jpg", 300, 200, 150, 110, 90, 1}, {"green.jpg", 300, 200, 90, 140, 70, 1},
                  {"blue.jpg", 300, 200, 60, 70, 120, 3},  {"bright.jpg", 300, 200, 200, 190, 185, 1},
                  {"tall.jpg", 70, 2000, 100, 120, 90, 1}, {"turned.jpg", 200, 300, 120, 100, 130, 6}};
    for (const auto& p : photos) {
        Bytes rgb;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const int grain = (x * 37 + y * 101) % 61 - 30;
                for (int level : {p.red + grain + x % 40, p.green + grain, p.blue - grain + y % 30})
                    rgb.push_back(static_cast<std::uint8_t>(std::clamp(level, 0, 255)));
            }
        CameraExifSettings exif;
        exif.orientation = p.orientation;
        JpegWriteSettings settings;
        settings.markers = {{JPEG_APP0 + 1, camera_exif_payload(exif)}};
        const std::string path = folder.file(p.name);
        write_bytes(path, write_sample_jpeg(p.width, p.height, 3, rgb.data(), settings));
        corrector.open_photo(path);
        ASSERT_TRUE(corrector.photo_loaded) << p.name;
        Bitmap24 working;
        std::int32_t phone = 5, camera = 1;
        copy_and_select_profiles(corrector.org_photo, working, phone, camera);
        EXPECT_EQ(std::make_pair(corrector.phone_profile, corrector.camera_profile),
                  std::make_pair(phone, camera))
            << p.name;
    }
}

TEST_F(PhotoCorrectorTest, PixelCountDecidesTheCameraTypeAtOneMillionThreeHundredThousand)
{
    corrector.open_photo(make_photo("phone.jpg", 1300, 1000));
    EXPECT_EQ(corrector.camera_type, CameraType::MobilePhone);
    corrector.open_photo(make_photo("camera.jpg", 67, 19403));  // 1,300,001 pixels
    EXPECT_EQ(corrector.camera_type, CameraType::DigitalCamera);
    EXPECT_EQ(corrector.camera_faces, (std::pair<int, int>{2, 5}));
    EXPECT_EQ(corrector.profile_caption, "DIGITAL CAMERA PROFILE");
    const CurveTriple* triple = curve_for_profile(CameraType::DigitalCamera, corrector.camera_profile);
    ASSERT_NE(triple, nullptr);
    EXPECT_TRUE(corrected_is({triple}));
}

TEST_F(PhotoCorrectorTest, CancelledOpenAfterALoadedPhotoChangesNothingAndShowsItsName)
{
    corrector.open_photo(make_photo("first.jpg", 32, 32));
    corrector.lighten();
    Bitmap32 before;
    before.assign(&corrector.corrected_photo);
    corrector.open_photo(std::nullopt);
    EXPECT_TRUE(corrector.photo_loaded);
    EXPECT_EQ(corrector.status_text, "first.jpg");
    EXPECT_EQ(corrector.light_level, 1);
    EXPECT_TRUE(same_pixels(corrector.corrected_photo, before));
}

TEST_F(PhotoCorrectorTest, CancelledOpenWithNothingLoadedShowsReady)
{
    corrector.open_photo(std::nullopt);
    EXPECT_EQ(corrector.status_text, "READY");
    EXPECT_FALSE(corrector.captions_visible);
    EXPECT_FALSE(corrector.photo_loaded);
}

// A photo that does not load, here one whose scan asks for a Huffman table the
// file never defines (it fails after the decoder took its size), leaves
// everything as a cancelled open does. RandomSessions holds every kind of failure.
TEST_F(PhotoCorrectorTest, FailedLoadLeavesEverythingAsACancelledOpenDoes)
{
    Bitmap32 flat;
    fill_flat(flat, 9, 7, 0xFF808080u);
    std::vector<std::uint8_t> bytes = encode_jpeg_photo(flat);
    for (std::size_t i = 0; i + 6 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
            bytes[i + 6] = 0x33;
            break;
        }
    const std::string damaged = folder.file("damaged.jpg");
    write_bytes(damaged, bytes);

    corrector.open_photo(make_photo("good.jpg", 16, 16));
    corrector.lighten();
    Bitmap32 org, corrected;
    org.assign(&corrector.org_photo);
    corrected.assign(&corrector.corrected_photo);
    events.log.clear();
    corrector.open_photo(damaged);
    EXPECT_EQ(events.log, (std::vector<std::string>{"loading:LOADING PHOTO", "busy", "failed", "idle"}));
    EXPECT_EQ(corrector.status_text, "good.jpg");
    EXPECT_TRUE(corrector.needs_save_prompt());
    EXPECT_TRUE(same_pixels(corrector.org_photo, org));
    EXPECT_TRUE(same_pixels(corrector.corrected_photo, corrected));
    corrector.undo();
    EXPECT_TRUE(same_pixels(corrector.corrected_photo, org));
}

// An error once the new photo has replaced the old one (here the window failing
// as it fits its views) leaves no half of either: the start state, and the error goes on.
TEST_F(PhotoCorrectorTest, ErrorPartWayThroughAnOpenReturnsToTheStartState)
{
    struct FailingWindow : CorrectorEvents {
        bool fail = false;
        bool told = false;
        void photo_opened() override
        {
            if (fail) throw std::runtime_error("no room for the views");
        }
        void start_state_restored() override { told = true; }
    } window;
    PhotoCorrector opening(&window);
    opening.open_photo(make_photo("first.jpg", 20, 10));
    window.fail = true;
    EXPECT_THROW(opening.open_photo(make_photo("second.jpg", 30, 20)), std::runtime_error);
    EXPECT_TRUE(window.told);
    EXPECT_FALSE(opening.busy());
    EXPECT_FALSE(opening.needs_save_prompt());
    EXPECT_TRUE(opening.org_photo.is_empty());
    EXPECT_TRUE(opening.corrected_photo.is_empty());
    EXPECT_FALSE(opening.captions_visible);
    EXPECT_EQ(opening.toggle_face, IconFace::CorrectionOff);
    EXPECT_EQ(opening.camera_faces, (std::pair<int, int>{3, 5}));
    // The lost photo's name is not shown again.
    opening.open_photo(std::nullopt);
    EXPECT_EQ(opening.status_text, "READY");
}

// The open shows the correction, so the first toggle takes it away (keeping the light
// level) and the second puts it back (dropping the light steps).
TEST_F(PhotoCorrectorTest, ToggleAfterOpenFirstRemovesThenReapplies)
{
    corrector.open_photo(make_photo("t.jpg", 40, 30));
    const CurveTriple* triple = curve_for_profile(CameraType::MobilePhone, corrector.phone_profile);
    corrector.lighten();
    corrector.toggle_correction();
    EXPECT_FALSE(corrector.correction_shown);
    EXPECT_EQ(corrector.toggle_face, 1);
    EXPECT_EQ(corrector.correction_caption, "NO CORRECTION");
    EXPECT_EQ(corrector.light_level, 1);
    EXPECT_TRUE(same_pixels(corrector.corrected_photo, corrector.org_photo));

    corrector.toggle_correction();
    EXPECT_TRUE(corrector.correction_shown);
    EXPECT_EQ(corrector.toggle_face, 0);
    EXPECT_EQ(corrector.light_level, 0);
    EXPECT_EQ(corrector.correction_caption, "AUTOMATIC CORRECTION");
    EXPECT_TRUE(corrected_is({triple}));
}

// A photo whose data ends early opens like any other, grey rows and all, and the
// status line says so in its name's place; the next open or cancel shows names again.
TEST_F(PhotoCorrectorTest, APhotoWhoseDataEndsEarlyOpensAndTheStatusLineSaysSo)
{
    // `height` rows of a scene the same in every row, its image data cut after `kept` of it.
    auto cut_photo = [&](const std::string& name, int height, double kept) {
        Bitmap32 scene;
        fill_photo(scene, 64, height, [](int x, int) { return opaque_rgb(x * 4, 255 - x * 4, x * 2); });
        const std::vector<std::uint8_t> whole = encode_jpeg_photo(scene);
        std::size_t data = 0;
        while (data + 1 < whole.size() && !(whole[data] == 0xFF && whole[data + 1] == 0xDA)) ++data;
        const auto end =
            static_cast<std::ptrdiff_t>(data + static_cast<std::size_t>((whole.size() - data) * kept));
        write_bytes(folder.file(name), std::vector<std::uint8_t>(whole.begin(), whole.begin() + end));
        return folder.file(name);
    };
    // 49 rows: cut inside the block row above the last, only the one row below it is grey
    // (in blocks of 8 or of 16 rows alike).
    corrector.open_photo(cut_photo("one row.jpg", 49, 0.73));
    ASSERT_EQ(corrector.load_outcome.grey_rows, 1);
    EXPECT_EQ(corrector.status_text, "PHOTO DATA ENDS EARLY: 1 ROW GREY");
    EXPECT_EQ(early_end_text(corrector.load_outcome),
              "the photo's data ends early: 1 row is grey");  // mallet's

    const std::string cut = cut_photo("cut.jpg", 64, 0.5);

    corrector.open_photo(cut);
    ASSERT_TRUE(corrector.photo_loaded);
    EXPECT_EQ(corrector.org_photo.width(), 64);
    EXPECT_TRUE(corrector.needs_save_prompt());
    ASSERT_GT(corrector.load_outcome.grey_rows, 0);
    EXPECT_EQ(corrector.status_text,
              "PHOTO DATA ENDS EARLY: " + std::to_string(corrector.load_outcome.grey_rows) + " ROWS GREY");
    EXPECT_EQ(corrector.file_part, "cut.jpg");

    corrector.open_photo(std::nullopt);
    EXPECT_EQ(corrector.status_text, "cut.jpg");
    corrector.open_photo(make_photo("whole.jpg", 16, 16));
    EXPECT_FALSE(corrector.load_outcome.data_ends_early);
    EXPECT_EQ(corrector.status_text, "whole.jpg");
}

TEST_F(PhotoCorrectorTest, ToggleWithoutAPhotoDoesNothing)
{
    corrector.toggle_correction();
    EXPECT_EQ(corrector.toggle_face, 1);
    EXPECT_FALSE(corrector.correction_shown);
    EXPECT_EQ(corrector.correction_caption, "AUTOMATIC CORRECTION");
}

// With no photo the correction button opens one. Its face goes "on" around the
// open unless the correction still counts as shown from a photo before; after
// the open the face and the correction say "on" exactly when a photo is loaded.
TEST_F(PhotoCorrectorTest, CorrectionButtonOpenFlipsTheFaceAroundTheOpen)
{
    struct Case {
        const char* description;
        bool shown_before;
        bool photo_chosen;
        int face_during_open;
        int face_after;
        bool shown_after;
    };
    const Case cases[] = {
        {"cancelled", false, false, IconFace::CorrectionOn, IconFace::CorrectionOff, false},
        {"opened", false, true, IconFace::CorrectionOn, IconFace::CorrectionOn, true},
        {"cancelled, shown before", true, false, IconFace::CorrectionOff, IconFace::CorrectionOff, false},
        {"opened, shown before", true, true, IconFace::CorrectionOff, IconFace::CorrectionOn, true},
    };
    const std::string photo = make_photo("button.jpg", 20, 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        PhotoCorrector button;
        button.correction_shown = c.shown_before;
        button.begin_open_from_correction_button();
        EXPECT_EQ(button.toggle_face, c.face_during_open);
        button.open_photo(c.photo_chosen ? std::optional<std::string>(photo) : std::nullopt);
        button.end_open_from_correction_button();
        EXPECT_EQ(button.toggle_face, c.face_after);
        EXPECT_EQ(button.correction_shown, c.shown_after);
    }
}

TEST_F(PhotoCorrectorTest, CameraSwitchAppliesTheOtherTablesProfile)
{
    corrector.open_photo(make_photo("c.jpg", 50, 40));
    corrector.toggle_correction();
    corrector.toggle_correction();  // correction caption now "NO CORRECTION"
    corrector.lighten();
    corrector.set_camera_type(CameraType::DigitalCamera);
    EXPECT_EQ(corrector.camera_faces, (std::pair<int, int>{2, 5}));
    EXPECT_EQ(corrector.profile_caption, "DIGITAL CAMERA PROFILE");
    // The corrected view shows the automatic correction again, and the captions say so.
    EXPECT_EQ(corrector.correction_caption, "AUTOMATIC CORRECTION");
    EXPECT_EQ(corrector.toggle_face, IconFace::CorrectionOn);
    EXPECT_EQ(corrector.light_level, 0);
    const CurveTriple* triple = curve_for_profile(CameraType::DigitalCamera, corrector.camera_profile);
    if (triple) {
        EXPECT_TRUE(corrected_is({triple}));
    }

    events.log.clear();
    corrector.set_camera_type(CameraType::DigitalCamera);  // same type: nothing
    EXPECT_TRUE(events.log.empty());

    corrector.set_camera_type(CameraType::MobilePhone);
    EXPECT_EQ(corrector.camera_faces, (std::pair<int, int>{3, 4}));
    EXPECT_EQ(corrector.profile_caption, "MOBILE PHONE PROFILE");
    EXPECT_TRUE(corrected_is({curve_for_profile(CameraType::MobilePhone, corrector.phone_profile)}));
    // So the correction button's next press takes the correction away.
    corrector.toggle_correction();
    EXPECT_EQ(corrector.correction_caption, "NO CORRECTION");
    EXPECT_TRUE(same_pixels(corrector.corrected_photo, corrector.org_photo));
}

TEST_F(PhotoCorrectorTest, PresetsApplyTheirIndicesForTheCurrentCameraType)
{
    corrector.open_photo(make_photo("p.jpg", 30, 20));
    for (const ScenePresetInfo& info : scene_presets) {
        for (CameraType type : {CameraType::MobilePhone, CameraType::DigitalCamera}) {
            corrector.set_camera_type(type);
            corrector.lighten();
            corrector.apply_preset(info.preset);
            std::vector<const CurveTriple*> triples{curve_for_profile(type, info.first_index)};
            if (info.second_index) triples.push_back(curve_for_profile(type, info.second_index));
            ASSERT_NE(triples.front(), nullptr) << info.caption;
            EXPECT_TRUE(corrected_is(triples)) << info.caption;
            EXPECT_EQ(corrector.correction_caption, info.caption);
            EXPECT_EQ(corrector.toggle_face, 1);
            EXPECT_FALSE(corrector.correction_shown);
            EXPECT_EQ(corrector.light_level, 0);
        }
    }
}

TEST_F(PhotoCorrectorTest, BulbLampIsTheLighterCurveOverTheIndexFiveCorrection)
{
    corrector.open_photo(make_photo("bulb.jpg", 30, 20));
    corrector.apply_preset(ScenePreset::IndoorsBulbLamp);
    EXPECT_EQ(corrector.correction_caption, "INDOORS BULB LAMP");
    EXPECT_TRUE(corrected_is({curve_for_profile(CameraType::MobilePhone, 5), &lighter_curve}));
}

TEST_F(PhotoCorrectorTest, PresetsDoNotNeedALoadedPhoto)
{
    corrector.apply_preset(ScenePreset::Backlight);
    EXPECT_EQ(corrector.correction_caption, "BACKLIGHT");
    EXPECT_TRUE(corrector.corrected_photo.is_empty());
}

TEST_F(PhotoCorrectorTest, LightStepsStopAtSixAndAccumulate)
{
    corrector.open_photo(make_photo("l.jpg", 30, 20));
    const CurveTriple* triple = curve_for_profile(CameraType::MobilePhone, corrector.phone_profile);
    for (int i = 0; i < 7; ++i) corrector.lighten();
    EXPECT_EQ(corrector.light_level, 6);
    std::vector<const CurveTriple*> steps{triple};
    for (int i = 0; i < 6; ++i) steps.push_back(&lighter_curve);
    EXPECT_TRUE(corrected_is(steps));

    for (int i = 0; i < 13; ++i) corrector.darken();
    EXPECT_EQ(corrector.light_level, -6);
    for (int i = 0; i < 12; ++i) steps.push_back(&darker_curve);
    EXPECT_TRUE(corrected_is(steps));
}

// After an undo everything says what the views show: no correction, light 0, and the
// correction button's next press applies the correction.
TEST_F(PhotoCorrectorTest, UndoShowsThePhotoAsLoadedAndSaysSo)
{
    corrector.open_photo(make_photo("u.jpg", 30, 20));
    corrector.lighten();
    corrector.lighten();
    corrector.undo();
    EXPECT_TRUE(same_pixels(corrector.corrected_photo, corrector.org_photo));
    EXPECT_EQ(corrector.light_level, 0);
    EXPECT_EQ(corrector.correction_caption, "NO CORRECTION");
    EXPECT_EQ(corrector.toggle_face, IconFace::CorrectionOff);
    for (int i = 0; i < 7; ++i) corrector.lighten();
    EXPECT_EQ(corrector.light_level, 6);
    EXPECT_TRUE(corrected_is(std::vector<const CurveTriple*>(6, &lighter_curve)));

    corrector.undo();
    corrector.toggle_correction();
    EXPECT_EQ(corrector.correction_caption, "AUTOMATIC CORRECTION");
    EXPECT_EQ(corrector.toggle_face, IconFace::CorrectionOn);
    EXPECT_FALSE(same_pixels(corrector.corrected_photo, corrector.org_photo));
}

TEST_F(PhotoCorrectorTest, SaveWritesTheCorrectedPhotoAndASecondOpenAsksAgain)
{
    corrector.open_photo(make_photo("s.jpg", 48, 32));
    corrector.save_photo(std::nullopt);
    EXPECT_FALSE(corrector.photo_saved);

    const std::string out = folder.file("out.jpg");
    corrector.save_photo(out);
    EXPECT_TRUE(corrector.photo_saved);
    EXPECT_EQ(corrector.status_text, "Saved out.jpg");
    EXPECT_FALSE(corrector.needs_save_prompt());
    Bitmap32 back;
    ASSERT_TRUE(load_photo(out, back));
    EXPECT_EQ(back.width(), 48);
    EXPECT_EQ(back.height(), 32);

    corrector.open_photo(make_photo("s2.jpg", 8, 8));
    EXPECT_FALSE(corrector.photo_saved);
    EXPECT_TRUE(corrector.needs_save_prompt());
}

TEST_F(PhotoCorrectorTest, FailedSaveReportsTheErrorAndLeavesStateAlone)
{
    corrector.open_photo(make_photo("f.jpg", 8, 8));
    const std::string status = corrector.status_text;
    const std::string impossible = folder.file("no_such_folder/x.jpg");
    EXPECT_THROW(corrector.save_photo(impossible), std::runtime_error);
    EXPECT_FALSE(corrector.photo_saved);
    EXPECT_EQ(corrector.status_text, status);
    EXPECT_FALSE(corrector.busy());
}

TEST_F(PhotoCorrectorTest, ColourProfileOfTheOpenedPhotoGoesIntoTheSavedFile)
{
    Bitmap32 photo;
    photo.set_size(16, 16);
    const IccProfile profile(3000, 0x5A);  // opaque to the program: carried, never read
    PhotoMetadata profile_only;
    profile_only.icc_profile = profile;
    const std::string with_profile = folder.file("icc.jpg");
    write_photo(photo, with_profile, profile_only);

    corrector.open_photo(with_profile);
    EXPECT_EQ(corrector.org_metadata.icc_profile, profile);
    const std::string out = folder.file("icc_out.jpg");
    corrector.save_photo(out);
    Bitmap32 back;
    PhotoMetadata saved;
    ASSERT_TRUE(load_photo(out, back, &saved));
    EXPECT_EQ(saved.icc_profile, profile);

    // A failed open keeps the profile of the photo still shown; a good one replaces it.
    corrector.open_photo(folder.file("missing.jpg"));
    EXPECT_EQ(corrector.org_metadata.icc_profile, profile);
    EXPECT_EQ(corrector.load_outcome.reason, LoadFailureReason::CannotReadFile);
    corrector.open_photo(make_photo("plain.jpg", 8, 8));
    EXPECT_TRUE(corrector.org_metadata.icc_profile.empty());
    EXPECT_EQ(corrector.load_outcome.reason, LoadFailureReason::None);
    corrector.save_photo(out);
    ASSERT_TRUE(load_photo(out, back, &saved));
    EXPECT_TRUE(saved.icc_profile.empty());
}

// The opened photo's metadata is saved with it, made true of the upright photo, and
// stays the corrector's until another photo opens: a failed open must not leave the
// next save with nothing, nor with a mixture.
TEST_F(PhotoCorrectorTest, KeepingTheCorrectionUntilTheSaveWritesTheSameFiles)
{
    // Above the size where the curves go through pair tables.
    const std::string photo = make_photo("big.jpg", 400, 360);
    PhotoCorrector on_save(nullptr, CorrectedPixels::on_save);
    const std::vector<std::function<void(PhotoCorrector&)>> steps = {
        [&](PhotoCorrector& c) { c.open_photo(photo); },
        [](PhotoCorrector& c) { c.lighten(); },
        [](PhotoCorrector& c) { c.apply_preset(ScenePreset::IndoorsBulbLamp); },
        [](PhotoCorrector& c) { c.darken(), c.darken(); },
        [](PhotoCorrector& c) { c.toggle_correction(); },
        [](PhotoCorrector& c) { c.lighten(); },
        [](PhotoCorrector& c) { c.toggle_correction(); },
        [](PhotoCorrector& c) { c.set_camera_type(CameraType::MobilePhone); },
        [](PhotoCorrector& c) { c.apply_preset(ScenePreset::OutdoorsTooShiny); },
        [](PhotoCorrector& c) { c.undo(), c.darken(); },
        [&](PhotoCorrector& c) { c.open_photo(make_photo("small.jpg", 30, 20)); },
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i](corrector);
        steps[i](on_save);
        corrector.save_photo(folder.file("shown.jpg"));
        on_save.save_photo(folder.file("on_save.jpg"));
        EXPECT_TRUE(read_bytes(folder.file("shown.jpg")) == read_bytes(folder.file("on_save.jpg")))
            << "step " << i;
    }
    EXPECT_TRUE(on_save.corrected_photo.is_empty());
}

TEST_F(PhotoCorrectorTest, ClosingReturnsToTheStartAndTheNextPhotoDecodesIntoTheClosedOnesStorage)
{
    const std::string first = make_photo("first.jpg", 64, 48);
    corrector.open_photo(first);
    corrector.lighten();
    const std::uint32_t* storage = corrector.org_photo.pixels();
    corrector.close_photo();
    EXPECT_FALSE(corrector.photo_loaded);
    EXPECT_TRUE(corrector.org_photo.is_empty());
    EXPECT_TRUE(corrector.corrected_photo.is_empty());
    EXPECT_EQ(corrector.status_text, "READY");
    EXPECT_EQ(corrector.light_level, 0);

    // Storage freed by the close would go to this bitmap rather than to the next photo.
    Bitmap32 decoy;
    decoy.set_size(64, 48);
    corrector.open_photo(make_photo("second.jpg", 64, 48));
    EXPECT_EQ(corrector.org_photo.pixels(), storage);
    PhotoCorrector fresh;
    fresh.open_photo(folder.file("second.jpg"));
    EXPECT_TRUE(same_pixels(corrector.corrected_photo, fresh.corrected_photo));
}

TEST_F(PhotoCorrectorTest, MetadataOfTheOpenedPhotoGoesIntoItsSavesUntilAnotherPhotoOpens)
{
    CameraExifSettings exif;
    exif.orientation = 6;
    JpegWriteSettings settings;
    settings.markers = {{JPEG_APP0 + 1, camera_exif_payload(exif)}, {JPEG_COM, {'h', 'i'}}};
    const Bytes pixels(24 * 16 * 3, 128);
    const std::string camera = folder.file("camera.jpg");
    write_bytes(camera, write_sample_jpeg(24, 16, 3, pixels.data(), settings));

    const std::string out = folder.file("out.jpg");
    Bitmap32 back;
    PhotoMetadata saved;
    corrector.open_photo(camera);
    corrector.save_photo(out);
    ASSERT_TRUE(load_photo(out, back, &saved));
    EXPECT_EQ(back.height(), 24);
    EXPECT_EQ(exif_orientation(saved.exif.data(), saved.exif.size()), 1);
    EXPECT_EQ(saved.comments, (std::vector<Bytes>{{'h', 'i'}}));

    const PhotoMetadata opened = corrector.org_metadata;
    corrector.open_photo(folder.file("missing.jpg"));
    EXPECT_EQ(corrector.org_metadata, opened);
    corrector.open_photo(make_photo("plain.jpg", 8, 8));
    corrector.save_photo(out);
    ASSERT_TRUE(load_photo(out, back, &saved));
    EXPECT_TRUE(saved.exif.empty());
    EXPECT_TRUE(saved.comments.empty());
}

}  // namespace
