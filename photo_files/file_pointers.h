#pragma once

// Pointers in a photo's metadata that reach outside their own segment: the images a
// multi-picture index records after the end of image, and the maker notes' offsets
// to previews and verification data. They are what makes moving a segment, or the
// data after the image, unsafe.

#include <cstddef>
#include <cstdint>
#include <vector>

/// Bytes [begin, end) of a file.
struct FileRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool holds(std::size_t at) const { return at >= begin && at < end; }
};

/// The images an MPF index records besides the first (the photo itself), in the file
/// whose APP2 payload `payload` ("MPF\0" and a TIFF structure) begins at `place`.
std::vector<FileRange> mpf_secondary_images(const std::vector<std::uint8_t>& payload, std::size_t place);

/// How the bytes a saved file keeps byte for byte move: each range of the loaded file
/// and where its first byte lands in the saved one.
struct KeptBytes {
    FileRange from;
    std::size_t to = 0;
};

struct FileMoves {
    std::size_t old_exif = 0;  // the EXIF payload's place in the loaded file
    std::size_t new_exif = 0;  // and in the saved one
    std::vector<KeptBytes> kept;
    FileRange trailer;  // the data after the loaded file's end of image
    const std::vector<std::uint8_t>* trailer_bytes = nullptr;
};

/// Makes the maker-note pointers of an EXIF payload true of the saved file: a
/// pointer into bytes the save keeps is moved with them; one to data after the end
/// of image (a preview of the uncorrected photo, or data vouching for its pixels) or
/// to bytes the save drops is set to 0 with its length. Returns the ranges of the
/// loaded trailer such pointers pointed at, for the save to drop. Known pointers:
/// Canon's original decision data (counted from the file's start), and the preview
/// image of Minolta and Sony maker notes (counted from the TIFF header). In a maker
/// note of any make whose directory starts it (or follows Sony's header), any other
/// out-of-line value outside the EXIF block is moved with its segment or emptied, and
/// a single LONG that points at a JPEG picture after the image is set to 0, the
/// picture dropped.
std::vector<FileRange> fix_maker_note_pointers(std::vector<std::uint8_t>& exif, const FileMoves& moves);
