// The catalogue of skin images: file name, the name the window layout knows it by, its size,
// and the function that draws it.
#pragma once

#include <QColor>
#include <QImage>
#include <vector>

namespace skin {

struct SkinImage {
    const char* file;
    const char* layout_name;
    int width;
    int height;
    QImage (*draw)();
};

const std::vector<SkinImage>& skin_images();

// Flat floors that the icons and faces share with the bars they sit on, so no seam shows.
// The windows may use them as control colours where a control is wider or taller than its face.
inline const QColor button_bay_floor(112, 115, 122);
inline const QColor lower_bay_floor(190, 192, 197);
inline const QColor preset_tray_floor(84, 87, 94);

QImage draw_splash();

}  // namespace skin
