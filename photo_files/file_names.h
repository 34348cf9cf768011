#pragma once

#include <string>

/// The part of `path` after its last "/", "\" or ":", or the whole of `path`
/// when it has none of them. /home/ann/beach.jpg and C:\Photos\beach.jpg both give beach.jpg.
std::string file_name_part(const std::string& path);

/// The text from the last "." of `name` onwards, provided no "/", "\" or ":"
/// follows that "."; empty otherwise. So a "." inside a folder name is no extension.
std::string extension_of(const std::string& name);

/// The save dialog's extension rule: `name` unchanged when its extension is ".jpg"
/// in any case of its letters, otherwise `name` with ".jpg" appended
/// (holiday -> holiday.jpg, holiday.jpeg -> holiday.jpeg.jpg, x. -> x..jpg).
std::string with_jpg_extension(const std::string& name);

/// True when the extension of `path` selects the JPEG decoder: "jpg" or "jpeg" in any case.
bool has_jpeg_extension(const std::string& path);

/// True when the extension of `path` selects the HEIF decoder, which also reads AVIF:
/// "heic", "heif", "hif" or "avif" in any case.
bool has_heif_extension(const std::string& path);

/// The name the save dialog offers for a photo that is no JPEG (a HEIF or AVIF one): `path`
/// with its extension replaced by ".jpg", beside it (/p/IMG_1.HEIC -> /p/IMG_1.jpg).
std::string jpeg_name_beside(const std::string& path);

/// True when the extension of `path` selects any decoder: a JPEG or a HEIF name.
bool has_photo_extension(const std::string& path);

/// True when something other than a folder stands at `path` and saving there
/// would replace it: a file, or a link to one or to nothing. Only a definite
/// "no such file" counts as absent: a path that cannot be examined (a folder
/// without search permission on the way) counts as existing, so the user is
/// asked rather than a file replaced unasked.
bool file_exists(const std::string& path);
