// What the main window shows of the corrector and when, its cursor, the
// pressed feedback and the captions drawn onto skin pictures.
#include <QFile>
#include <QGuiApplication>

#include "display/antialiased_text.h"
#include "display/bitmap_qt.h"
#include "windows/elided_text.h"
#include "windows/main_layout.h"
#include "windows/main_window.h"
#include "windows/on_exit.h"

namespace {

constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

// The status line shows file names, which are the file system's bytes.
QString status_caption(const std::string& text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

}  // namespace

void MainWindow::show_status_text()
{
    // A long file name is cut in its middle, so that it stays on the LCD's glass with its end,
    // which tells photos apart, in view; the hint then gives it whole. The folder position
    // and the strength after it are never cut.
    const QString text = status_caption(corrector.status_text);
    const QString position = status_position_text() + QString::fromStdString(corrector.strength_text());
    const QFontMetrics metrics(status_label->font());
    // The glass ends as far from the LCD's right end at every width.
    constexpr int glass_right_end =
        main_layout::control_named("lcd_panel").width - main_layout::lcd_glass_right;
    const int room = lcd_panel->width() - glass_right_end - main_layout::lcd_glass_margin -
                     status_label->x() - metrics.horizontalAdvance(position);
    const QString shown = elided_in_the_middle(text, metrics, room);
    status_label->set_caption(shown + position);
    status_label->setToolTip(shown == text ? QString() : text + position);
    // A screen reader reads the whole line, and announces it as it changes.
    status_label->setAccessibleName(text + position);
}

void MainWindow::render_corrector()
{
    folder_walk.follow_shown_photo();
    show_status_text();
    strength_slider->show_strength(corrector.strength);
    profile_label->set_caption(QString::fromStdString(corrector.profile_caption));
    correction_label->set_caption(QString::fromStdString(corrector.correction_caption));
    for (QWidget* caption :
         std::initializer_list<QWidget*>{profile_label, profile_box, correction_label, correction_box})
        caption->setVisible(corrector.captions_visible);
    // Faces are copied from the lists only when they change.
    if (corrector.toggle_face != shown_toggle_face_) {
        correction_button->set_bitmap(icon_faces.Bitmaps[corrector.toggle_face].Bitmap);
        shown_toggle_face_ = corrector.toggle_face;
    }
    if (corrector.camera_faces != shown_camera_faces_) {
        camera_icon->set_bitmap(icon_faces.Bitmaps[corrector.camera_faces.first].Bitmap);
        phone_icon->set_bitmap(icon_faces.Bitmaps[corrector.camera_faces.second].Bitmap);
        shown_camera_faces_ = corrector.camera_faces;
    }
    light_indicator->move(
        main_layout::light_indicator_middle + main_layout::light_indicator_step * corrector.light_level,
        light_indicator->y());
    busy_changed(corrector.busy());
    controls_changed();
}

void MainWindow::busy_changed(bool busy)
{
    if (busy == cursor_overridden_) return;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    cursor_overridden_ = busy;
}

void MainWindow::loading_started()
{
    show_status_text();
    // "LOADING PHOTO" must be on the screen before the open dialog covers the
    // window: paint it now, then let pending window messages through once.
    // User input waits, so a queued second click cannot start another open
    // inside this one.
    status_label->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::load_failed()
{
    if (stepping_) return;
    // A photo named at start-up opens before the window shows: its message waits for the
    // window, so that it stands over it.
    if (opening_before_shown_) {
        load_failure_to_show_ = corrector.load_outcome;
        return;
    }
    // The message waits for the user: no hourglass over it.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const OnExit restore([] { QGuiApplication::restoreOverrideCursor(); });
    messages->show_load_failure(corrector.load_outcome);
}

void MainWindow::press_control(QWidget& control, const std::function<void()>& while_pressed)
{
    const QPoint home = control.pos();
    QWidget* parent = control.parentWidget();
    const auto show_at = [&](QPoint place) {
        const QRect before = control.geometry();
        control.move(place);
        // Painted now: the event thread is about to sleep, and nothing else would paint it.
        if (parent != nullptr && parent->isVisible()) parent->repaint(before.united(control.geometry()));
    };
    show_at(home + QPoint(1, 1));
    // Back home even when the step fails.
    const OnExit back([&] { show_at(home); });
    sleep_for(press_duration);
    if (while_pressed) while_pressed();
}

void MainWindow::draw_white_caption(TImage32& control, const QString& text, int x, int y, bool bold)
{
    draw_caption(control, text, x, y, bold, kOpaqueWhite);
}

void MainWindow::draw_black_caption(TImage32& control, const QString& text, int x, int y, bool bold)
{
    draw_caption(control, text, x, y, bold, kOpaqueBlack);
}

void MainWindow::draw_layout_captions(TImage32& control)
{
    for (const main_layout::DrawnCaption& caption : main_layout::drawn_captions) {
        if (control.objectName() != QLatin1String(caption.control)) continue;
        if (caption.ink == main_layout::CaptionInk::White)
            draw_white_caption(control, caption.text, caption.x, caption.y, true);
        else
            draw_black_caption(control, caption.text, caption.x, caption.y, true);
    }
}

void MainWindow::draw_caption(TImage32& control, const QString& text, int x, int y, bool bold,
                              std::uint32_t color)
{
    BitmapFont& font = control.bitmap().attributes.font;
    font.face_name = "Verdana";
    // The size is re-read from the font itself, so a font marked with another
    // resolution keeps its pixel height, and its point size follows from it.
    font.set_size(font.size());
    if (bold) font.bold = true;
    // Whatever the resolution, a caption stays inside its face, clear of the face's rim: where the
    // size the font asks for would cross it (at 144 pixels per inch it would clip "OPEN PHOTO"),
    // the caption is drawn as large as fits.
    const QSize face = logical_size(control.bitmap());
    draw_antialiased_text(control.bitmap(), x, y, text, 4, color, pixels_per_inch_,
                          TextLimit{face.width() - 1, face.height() - 1});
    control.repaint();
}
