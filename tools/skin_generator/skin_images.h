// The catalogue of skin images: file name, the name the window layout knows it by, its size,
// and the function that draws it.
#pragma once

#include <QColor>
#include <QImage>
#include <vector>

#include "windows/main_layout.h"

namespace skin {

struct SkinImage {
    const char* file;
    const char* layout_name;
    int width;
    int height;
    QImage (*draw)();
};

const std::vector<SkinImage>& skin_images();

// Flat floors that the icons and faces share with the bars they sit on, so no seam shows. The
// lower bay's is the window layout's, as the controls there show it where they are larger than their faces.
inline const QColor button_bay_floor(112, 115, 122);
inline const QColor lower_bay_floor = QColor::fromRgb(main_layout::lower_bay_floor);
inline const QColor preset_tray_floor(84, 87, 94);

QImage draw_splash();

}  // namespace skin
