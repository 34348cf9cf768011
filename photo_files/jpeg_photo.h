#pragma once

// Photo files as the program opens and saves them: the file read whole and decoded,
// and the encoded photo written so that a failed save never harms the file it replaces.

#include <memory>
#include <string>

#include "photo_files/atomic_file.h"
#include "photo_files/load_outcome.h"
#include "photo_files/photo_metadata.h"
#include "photo_files/photo_write_error.h"

class Bitmap32;
class RowSink;
struct CurveTriple;

/// Loads the photo at `path` into `org_photo`. The extension chooses the decoder:
/// "jpg" or "jpeg" in any case for decode_jpeg_photo (photo_files/jpeg_decoder.h),
/// "heic", "heif", "hif" or "avif" for decode_heif_photo (photo_files/heif_decoder.h);
/// any other extension fails. The whole file is read into memory and decoded, with the
/// decoder's results, promises and optional `metadata`, `outcome` and `rows`; an empty
/// file fails as EmptyFile.
/// Besides the decoder's failures, fails for a missing or unreadable file (a folder,
/// a device or a named pipe among them, read without waiting) and for a file too big
/// to hold in memory. Never throws for a bad or hostile file.
bool load_photo(const std::string& path, Bitmap32& org_photo, PhotoMetadata* metadata = nullptr,
                LoadOutcome* outcome = nullptr, RowSink* rows = nullptr);

/// Saves `corrected_photo` at `path` as encode_jpeg_photo makes it (photo_files/
/// jpeg_encoder.h; a 0 x 0 photo gives an empty file), with `loaded_metadata`, that
/// of the photo it was made from, made true of it (metadata_for_saved_photo).
/// With `curves` the photo saved is `corrected_photo` with them applied to every
/// pixel: the same file as applying them first and saving the result, without a
/// second photo-sized buffer or a pass over it.
/// Any existing file at `path` is replaced only once the new one is complete on the
/// disk; when the save fails, it is left as it was and no temporary file remains.
/// Throws EPhotoWriteError: "Cannot create file <path>", "Cannot write file <path>:
/// <reason>", or the encoder's refusal.
void write_photo(const Bitmap32& corrected_photo, const std::string& path,
                 const PhotoMetadata& loaded_metadata = {}, const CurveTriple* curves = nullptr);

/// write_photo up to the last step, for a caller that commits many files together: the
/// photo is encoded into the returned writer, which commit() (or its steps) puts in
/// place at `path` as `existing` says; dropping it leaves `path` as it was. Throws as
/// write_photo does.
std::unique_ptr<AtomicFileWriter> write_photo_uncommitted(const Bitmap32& corrected_photo,
                                                          const std::string& path,
                                                          const PhotoMetadata& loaded_metadata,
                                                          const CurveTriple* curves, ExistingFile existing);
