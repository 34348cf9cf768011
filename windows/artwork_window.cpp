#include "windows/artwork_window.h"

#include "windows/accessible_controls.h"
#include "windows/skin_fonts.h"
#include "windows/window_support.h"

ArtworkControls build_artwork_window(QWidget& window, int picture_width, int picture_height, int label_top)
{
    window.setFixedSize(332, 312);
    // Not a window that keeps the program running once the main window closes.
    window.setAttribute(Qt::WA_QuitOnClose, false);
    auto* picture = new TImage32(&window);
    picture->setGeometry(-1, -1, picture_width, picture_height);
    load_skin(picture->bitmap(), "splash.png", screen_pixel_ratio(window));
    auto* version = new TLabel(picture, 247, label_top, "Version 1.1", terminal_font(10),
                               window.palette().color(QPalette::WindowText), QColor(202, 202, 202), false,
                               fine_terminal_font(10));
    picture->setAccessibleName(QString::fromLatin1(kProgramDisplayName));
    describe_for_screen_readers(*picture, {.role = QAccessible::Graphic, .press = [picture] {
                                               if (picture->OnClick) picture->OnClick();
                                           }});
    describe_for_screen_readers(*version, {.role = QAccessible::StaticText});
    list_for_screen_readers(window, {picture, version});
    return {picture, version};
}
