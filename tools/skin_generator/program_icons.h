// The program's icons for the desktop's menus and task bars: its logo mark, as the splash shows
// it, at each of the usual square sizes, on a transparent ground.
#pragma once

#include <QImage>
#include <array>

namespace skin {

inline constexpr std::array<int, 9> program_icon_sizes{16, 22, 24, 32, 48, 64, 128, 256, 512};

// The file each size is written to, under the output folder.
QString program_icon_file(int size);
QImage draw_program_icon(int size);

}  // namespace skin
