#pragma once

#include <array>
#include <cstdint>
#include <vector>

/// What a conversion between two curve-and-matrix profiles looks up and multiplies, in
/// integers, so that every instruction set gives the same words.
struct MatrixShaperTables {
    // Linear light steps the display's encoding is tabulated at, as lcms2 does.
    static constexpr int kEncodedSteps = 16384;
    // The vector paths read four bytes wherever they look up one or two.
    static constexpr int kPadding = 3;

    // Red, green, blue level -> linear light in 32768ths (one is 32767), then padding.
    std::array<std::array<std::int16_t, 256 + kPadding>, 3> linear{};
    // The same split into low and high bytes, for byte permutes.
    std::array<std::array<std::uint8_t, 256>, 3> linear_low{}, linear_high{};
    // Photo's linear RGB -> display's in 2^-matrix_bits, per display channel: the sum
    // matrix[c] . linear + offset[c] (the blacks' difference, with half a step for rounding)
    // shifted right by matrix_bits + 1 is the step of the display's linear light.
    std::array<std::array<std::int16_t, 3>, 3> matrix{};
    std::array<std::int32_t, 3> offset{};
    // matrix[c][k] times photo channel k's linear light, for each level: the plain path's terms.
    std::array<std::array<std::array<std::int32_t, 256>, 3>, 3> terms{};
    int matrix_bits = 0;
    // Display linear light in kEncodedSteps steps -> level, then padding.
    std::array<std::vector<std::uint8_t>, 3> encoded;
};

/// Convert `width` opaque photo words at `row` in place, one function per instruction set;
/// all give identical words. The vector ones exist on x86-64 only and need the CPU's support.
void convert_row_plain(const MatrixShaperTables& tables, std::uint32_t* row, int width);
void convert_row_avx2(const MatrixShaperTables& tables, std::uint32_t* row, int width);
void convert_row_vbmi(const MatrixShaperTables& tables, std::uint32_t* row, int width);
