#pragma once

class Bitmap32;

/// Told of a photo's rows as they become final, so that work on them can overlap
/// their making (a decoder tells it while it decodes the next rows).
class RowSink {
public:
    virtual ~RowSink() = default;
    /// Rows [first, end) of `photo` hold their final pixels and will not change again.
    /// Each row is told once; each range continues the one before it, upwards or downwards.
    virtual void rows_final(const Bitmap32& photo, int first, int end) = 0;
    /// No more rows come, whether all of them were told or the making failed. Once it
    /// returns the sink does not read the photo again, so the maker may clear or release it.
    /// Telling it twice is harmless.
    virtual void rows_ended() = 0;
};
