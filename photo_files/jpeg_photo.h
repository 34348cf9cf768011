#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "photo_files/load_failure.h"

class Bitmap32;
class RowSink;
struct CurveTriple;
struct PhotoMetadata;

/// An embedded ICC colour profile, as the bytes of the profile itself.
using IccProfile = std::vector<std::uint8_t>;

/// A photo that could not be saved. The text names the file and, where there is
/// one, the system's reason ("Cannot create file <path>").
class EPhotoWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Largest photo loaded, in pixels. Far above any real photo, and small enough that
/// the histograms' signed 32-bit counts can never overflow. Checked from the header,
/// before any pixel storage is obtained.
inline constexpr std::int64_t kMaxPhotoPixels = 400'000'000;

/// Most scans a JPEG file may have. Real progressive photos have ten or so and never
/// more than about a hundred; files with thousands of scans exist only to make a
/// decoder spin.
inline constexpr int kMaxJpegScans = 256;

/// Loads the photo at `path` into `org_photo`. The extension chooses the decoder:
/// "jpg" or "jpeg" in any case; any other extension fails. The whole file is read
/// into memory first; an empty file succeeds with a 0 x 0 photo.
///
/// On success `org_photo` has the upright photo's width and height (the EXIF
/// orientation is applied to the pixels), every pixel has alpha 0xFF, colour files
/// carry the decoder's RGB levels unchanged, grayscale files are dithered onto 236
/// gray levels (level j = (255 j + 117) / 235) with red = green = blue, and CMYK or
/// YCCK files are converted to RGB. It is resized (notifying as Bitmap32::set_size
/// does) before decoding and notified once more when the pixels are in. A file cut
/// off inside its image data loads at full size.
///
/// Returns false on any failure: a missing or unreadable file, an unknown extension,
/// anything the decoder refuses, a photo above kMaxPhotoPixels, a file of more than
/// kMaxJpegScans scans, or memory that cannot be obtained. After a failure that comes
/// once `org_photo` was resized, it keeps the new size and holds only zero words.
/// Never throws for a bad or hostile file.
///
/// When `icc_profile` is given, it receives the file's embedded ICC profile, or is
/// cleared when the file has none. When `failure` is given, it receives why the load
/// failed, or LoadFailureReason::None when it did not.
bool load_photo(const std::string& path, Bitmap32& org_photo, IccProfile* icc_profile = nullptr,
                LoadFailure* failure = nullptr);

/// The decoding part of load_photo for a JPEG stream already in memory (`size` 0: a
/// 0 x 0 photo). Same results, failures and reasons as load_photo.
bool decode_jpeg_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       IccProfile* icc_profile = nullptr, LoadFailure* failure = nullptr);

/// Encodes `corrected_photo` as a baseline JPEG: red, green and blue of every pixel
/// unchanged (alpha dropped), YCbCr with 2 x 2 chroma subsampling, float DCT,
/// quality 95 with every quantisation entry within 1 to 255, standard Huffman
/// tables, a JFIF header, and `icc_profile` when it is not empty. No other metadata
/// (the PhotoMetadata overload below carries the rest).
/// A 0 x 0 photo gives no bytes. Throws EPhotoWriteError when the encoder fails.
std::vector<std::uint8_t> encode_jpeg_photo(const Bitmap32& corrected_photo,
                                            const IccProfile& icc_profile = {});

/// Saves `corrected_photo` at `path` as encode_jpeg_photo makes it (a 0 x 0 photo
/// gives an empty file). Any existing file at `path` is replaced only once the new
/// one is complete on the disk; when the save fails, it is left as it was and no
/// temporary file remains. Throws EPhotoWriteError ("Cannot create file <path>" or
/// "Cannot write file <path>: <reason>").
void write_photo(const Bitmap32& corrected_photo, const std::string& path,
                 const IccProfile& icc_profile = {});

/// load_photo that also gives the file's metadata (photo_files/photo_metadata.h),
/// everything a saved photo carries on; cleared when the load fails.
///
/// When `rows` is given it is told of the upright photo's rows as they are decoded
/// (all at the end for a quarter-turned photo), and rows_ended() before the call
/// returns, in every case, and before a failed load clears the photo. A photo of the
/// size `org_photo` already has is decoded into its present storage.
bool load_photo(const std::string& path, Bitmap32& org_photo, PhotoMetadata& metadata,
                LoadFailure* failure = nullptr, RowSink* rows = nullptr);
bool decode_jpeg_photo(const std::uint8_t* data, std::size_t size, Bitmap32& org_photo,
                       PhotoMetadata& metadata, LoadFailure* failure = nullptr, RowSink* rows = nullptr);

/// encode_jpeg_photo and write_photo with the metadata of the photo `corrected_photo`
/// was made from, made true of it (metadata_for_saved_photo) and written after the
/// JFIF header, whose density it gives.
/// With `curves` the photo saved is `corrected_photo` with them applied to every pixel
/// (as apply_curves would): the same file as applying them first and saving the result,
/// without a second photo-sized buffer or a pass over it.
std::vector<std::uint8_t> encode_jpeg_photo(const Bitmap32& corrected_photo, const PhotoMetadata& metadata,
                                            const CurveTriple* curves = nullptr);
void write_photo(const Bitmap32& corrected_photo, const std::string& path, const PhotoMetadata& metadata,
                 const CurveTriple* curves = nullptr);
