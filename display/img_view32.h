#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "display/view_geometry.h"
#include "display/view_picture.h"
#include "engine/bitmap32.h"
#include "photo_files/photo_metadata.h"

class QScreen;
class ViewColourTransform;

/// A photo view: shows a Bitmap32 owned elsewhere at a chosen scale, centred
/// where it is smaller than the view and pannable where it is larger, with
/// Color filling the rest. It has no scroll bars; panning is by scroll_by.
///
/// The view observes its bitmap through the bitmap's OnChange and OnResize
/// handlers, which it installs (replacing what was there; a bitmap is shown by
/// one view at a time). On OnChange it repaints the whole view (deferred) and
/// runs its own OnChange; on OnResize it re-centres on the photo. The handlers
/// are removed when the view is destroyed or shows another bitmap, and a
/// bitmap destroyed before the view simply leaves the view empty.
///
/// The picture is resampled into a back buffer of the view's own size, in the
/// screen's device pixels, only when the photo, scale, offsets or size change
/// (or the view moves to a screen of another scale); other paints copy the
/// buffer. Scale, positions and mouse coordinates stay in layout pixels.
///
/// The photo's part of the buffer is converted from the photo's colour profile to
/// that of the screen the view is on, after the resampling; the conversion is looked up
/// again when the profile is set or the window moves to another screen.
class TImgView32 : public QWidget {
    Q_OBJECT

public:
    explicit TImgView32(QWidget* parent = nullptr);
    ~TImgView32() override;
    TImgView32(const TImgView32&) = delete;
    TImgView32& operator=(const TImgView32&) = delete;

    /// Shows `bitmap` (nullptr: nothing) and re-centres on it. The view does not own it.
    void set_bitmap(Bitmap32* bitmap);
    Bitmap32* bitmap() const { return bitmap_; }

    /// The colour profile the bitmap's values are in, as ICC bytes (empty: sRGB, the
    /// start value). Setting it repaints.
    void set_photo_profile(const IccProfile& profile);

    /// Screen pixels per photo pixel. Setting it keeps the photo point at the
    /// view's centre in place; values below 0.001 become 0.001, and setting the
    /// current value does nothing at all (no repaint).
    float scale() const { return geometry_.scale(); }
    void set_scale(float scale);

    /// Pans by (dx, dy) screen pixels (positive shows more of the right /
    /// bottom), stopping at the photo's edges.
    void scroll_by(float dx, float dy);

    /// Placement of the photo: scroll positions, drawn size, offsets.
    const ViewGeometry& placement() const { return geometry_; }

    /// Fills the part of the view the photo does not cover. RGB(201, 201, 201) at creation.
    QColor color() const { return color_; }
    void set_color(const QColor& color);

    /// A left-button press captures the mouse until the left button is
    /// released: moves and the release outside the view keep arriving.
    /// Releasing the capture earlier stops that.
    bool has_capture() const { return captured_; }
    void release_capture() { captured_ = false; }

    /// A picture drawn ahead for the next time the back buffer is drawn: taken instead of
    /// resampling when it was drawn for exactly the placement, size and colour the view has
    /// then, and let go either way. A change of the shown bitmap lets go of it too.
    void offer_picture(std::shared_ptr<const ViewPicture> picture);
    /// How many times the back buffer has been resampled (for diagnostics).
    long long render_count() const { return render_count_; }
    /// How many times it took a picture drawn ahead instead (for diagnostics).
    long long pictures_taken() const { return pictures_taken_; }

    /// Runs on the second press of a left-button double click, after OnMouseDown.
    std::function<void()> OnDblClick;
    /// Runs after the shown bitmap reported a change.
    std::function<void()> OnChange;
    /// Mouse events in the view's client coordinates. The cursor is set with QWidget::setCursor.
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseDown;
    std::function<void(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)> OnMouseMove;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseUp;

    QSize sizeHint() const override { return {420, 320}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct BitmapLink;
    struct ChangeForwarder;
    struct ResizeForwarder;

    void attach(Bitmap32* bitmap);
    void detach();
    void bitmap_changed();
    void bitmap_resized();
    void bitmap_gone();
    void sync_photo_size();
    void invalidate_picture();
    void render_back_buffer();
    void convert_colours();
    /// The view's size in the screen's own pixels.
    QSize device_size() const;
    bool accepts_outside(const QMouseEvent* event) const;

    Bitmap32* bitmap_ = nullptr;
    // Shared with the handlers installed on the bitmap; it dies with them, so
    // an expired link means the bitmap (or its handlers) went away.
    std::weak_ptr<BitmapLink> link_;
    ViewGeometry geometry_;
    QColor color_{201, 201, 201};
    QImage back_buffer_;
    bool picture_valid_ = false;
    bool captured_ = false;
    long long render_count_ = 0;
    long long pictures_taken_ = 0;
    std::shared_ptr<const ViewPicture> offered_picture_;
    IccProfile photo_profile_;
    // The conversion for the photo's profile on the screen it was made for.
    std::shared_ptr<const ViewColourTransform> colour_transform_;
    const QScreen* transform_screen_ = nullptr;
    bool transform_valid_ = false;
    QMetaObject::Connection screen_watch_;
};
