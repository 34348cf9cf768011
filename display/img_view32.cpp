#include "display/img_view32.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "display/display_profile.h"
#include "display/view_colour_transform.h"
#include "display/view_render.h"
#include "engine/row_pool.h"

struct TImgView32::BitmapLink {
    TImgView32* view;
    Bitmap32* bitmap;
    // The last handler holding the link is gone: the bitmap was destroyed or
    // someone else took its handlers. Either way the view must let go of it.
    ~BitmapLink()
    {
        if (view != nullptr) view->bitmap_gone();
    }
};

struct TImgView32::ChangeForwarder {
    std::shared_ptr<BitmapLink> link;
    void operator()() const
    {
        if (link->view != nullptr) link->view->bitmap_changed();
    }
};

struct TImgView32::ResizeForwarder {
    std::shared_ptr<BitmapLink> link;
    void operator()() const
    {
        if (link->view != nullptr) link->view->bitmap_resized();
    }
};

TImgView32::TImgView32(QWidget* parent) : QWidget(parent), geometry_(420, 320)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(420, 320);
}

TImgView32::~TImgView32()
{
    detach();
}

void TImgView32::set_bitmap(Bitmap32* bitmap)
{
    if (bitmap == bitmap_ && !link_.expired()) return;
    detach();
    attach(bitmap);
    sync_photo_size();
    invalidate_picture();
}

void TImgView32::attach(Bitmap32* bitmap)
{
    if (bitmap == nullptr) return;
    auto link = std::make_shared<BitmapLink>(BitmapLink{this, bitmap});
    // Installing replaces another view's handlers; that view's link dies and it lets go.
    bitmap->OnChange = ChangeForwarder{link};
    bitmap->OnResize = ResizeForwarder{link};
    bitmap_ = bitmap;
    link_ = link;
}

void TImgView32::detach()
{
    if (auto link = link_.lock()) {
        link->view = nullptr;  // the link's death below must not call back
        Bitmap32* bitmap = link->bitmap;
        // Remove only handlers that are still ours.
        if (auto* own = bitmap->OnChange.target<ChangeForwarder>(); own != nullptr && own->link == link)
            bitmap->OnChange = nullptr;
        if (auto* own = bitmap->OnResize.target<ResizeForwarder>(); own != nullptr && own->link == link)
            bitmap->OnResize = nullptr;
    }
    link_.reset();
    bitmap_ = nullptr;
}

void TImgView32::bitmap_gone()
{
    // Called while the bitmap may be mid-destruction: do not touch it.
    bitmap_ = nullptr;
    link_.reset();
    geometry_.set_photo_size(0, 0);
    invalidate_picture();
}

void TImgView32::sync_photo_size()
{
    const int width = bitmap_ != nullptr ? bitmap_->width() : 0;
    const int height = bitmap_ != nullptr ? bitmap_->height() : 0;
    if (width != geometry_.photo_width() || height != geometry_.photo_height())
        geometry_.set_photo_size(width, height);
}

void TImgView32::bitmap_changed()
{
    offered_picture_.reset();
    // A resize notifies the change before OnResize; keep the placement in step
    // so that a repaint from the change handler never reads past the photo.
    sync_photo_size();
    invalidate_picture();
    if (OnChange) OnChange();
}

void TImgView32::bitmap_resized()
{
    const int width = bitmap_ != nullptr ? bitmap_->width() : 0;
    const int height = bitmap_ != nullptr ? bitmap_->height() : 0;
    geometry_.set_photo_size(width, height);
    invalidate_picture();
}

void TImgView32::invalidate_picture()
{
    picture_valid_ = false;
    update();
}

void TImgView32::set_scale(float scale)
{
    if (geometry_.set_scale(scale)) invalidate_picture();
}

void TImgView32::scroll_by(float dx, float dy)
{
    if (geometry_.scroll_by(dx, dy)) invalidate_picture();
}

void TImgView32::set_color(const QColor& color)
{
    if (color == color_) return;
    color_ = color;
    invalidate_picture();
}

QSize TImgView32::device_size() const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)), static_cast<int>(std::lround(height() * ratio))};
}

void TImgView32::render_back_buffer()
{
    // The picture is resampled for the screen's own pixels: on a screen at twice the scale a
    // reduced photo shows twice the detail, while the scale keeps its meaning in layout pixels.
    const qreal ratio = devicePixelRatioF();
    const QSize device = device_size();
    if (back_buffer_.size() != device) back_buffer_ = QImage(device, QImage::Format_RGB32);
    if (back_buffer_.isNull()) return;
    back_buffer_.setDevicePixelRatio(ratio);
    sync_photo_size();
    const ViewGeometry placed = geometry_.in_device_pixels(static_cast<float>(ratio));
    const std::uint32_t background = color_.rgb() & 0x00FFFFFFu;
    const std::shared_ptr<const ViewPicture> offered = std::move(offered_picture_);
    offered_picture_.reset();
    if (offered && bitmap_ != nullptr && offered->device_geometry == placed &&
        offered->background == background) {
        const int width = placed.view_width();
        for (int y = 0; y < placed.view_height(); ++y)
            std::copy_n(offered->words.data() + static_cast<std::size_t>(y) * width, width,
                        reinterpret_cast<std::uint32_t*>(back_buffer_.scanLine(y)));
        ++pictures_taken_;
    } else {
        static const Bitmap32 nothing;
        render_view(bitmap_ != nullptr ? *bitmap_ : nothing, placed, background,
                    reinterpret_cast<std::uint32_t*>(back_buffer_.bits()), back_buffer_.bytesPerLine() / 4);
        ++render_count_;
    }
    convert_colours();
    picture_valid_ = true;
}

void TImgView32::offer_picture(std::shared_ptr<const ViewPicture> picture)
{
    offered_picture_ = std::move(picture);
}

void TImgView32::set_photo_profile(const IccProfile& profile)
{
    if (profile == photo_profile_) return;
    photo_profile_ = profile;
    transform_valid_ = false;
    invalidate_picture();
}

void TImgView32::convert_colours()
{
    QScreen* shown_on = screen();
    if (!transform_valid_ || shown_on != transform_screen_) {
        colour_transform_ = ViewColourTransform::between(photo_profile_, display_profile(shown_on));
        transform_screen_ = shown_on;
        transform_valid_ = true;
    }
    if (!colour_transform_ || bitmap_ == nullptr) return;
    // Only the photo: the background is the skin's colour, not the photo's.
    const ViewGeometry device = geometry_.in_device_pixels(static_cast<float>(devicePixelRatioF()));
    const int left = std::max(0, device.left());
    const int top = std::max(0, device.top());
    const int right = std::min(back_buffer_.width(), device.left() + device.drawn_width());
    const int bottom = std::min(back_buffer_.height(), device.top() + device.drawn_height());
    if (right <= left || bottom <= top) return;
    const std::ptrdiff_t stride = back_buffer_.bytesPerLine() / 4;
    auto* pixels = reinterpret_cast<std::uint32_t*>(back_buffer_.bits()) + top * stride + left;
    colour_transform_->convert(pixels, stride, right - left, bottom - top, RowPool::shared());
}

void TImgView32::showEvent(QShowEvent*)
{
    // A window moved to another screen shows through that screen's profile.
    QWindow* window_handle = window()->windowHandle();
    if (window_handle == nullptr || screen_watch_) return;
    screen_watch_ = connect(window_handle, &QWindow::screenChanged, this, [this] { invalidate_picture(); });
}

void TImgView32::paintEvent(QPaintEvent*)
{
    if (!picture_valid_ || back_buffer_.size() != device_size()) render_back_buffer();
    // The whole view is drawn every time; the buffer already holds the background.
    QPainter painter(this);
    painter.drawImage(0, 0, back_buffer_);
}

void TImgView32::resizeEvent(QResizeEvent*)
{
    // Qt may deliver a resize to the same size (for instance before rendering a hidden widget).
    if (width() == geometry_.view_width() && height() == geometry_.view_height()) return;
    geometry_.set_view_size(width(), height());
    invalidate_picture();
}

bool TImgView32::accepts_outside(const QMouseEvent* event) const
{
    // Without the capture, the mouse outside the view belongs to someone else.
    return captured_ || rect().contains(event->position().toPoint());
}

void TImgView32::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) captured_ = true;
    const QPoint at = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TImgView32::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is still a press for the handlers.
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick();
}

void TImgView32::mouseMoveEvent(QMouseEvent* event)
{
    if (!accepts_outside(event)) return;
    const QPoint at = event->position().toPoint();
    if (OnMouseMove) OnMouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void TImgView32::mouseReleaseEvent(QMouseEvent* event)
{
    if (!accepts_outside(event)) return;
    if (event->button() == Qt::LeftButton) captured_ = false;
    const QPoint at = event->position().toPoint();
    if (OnMouseUp) OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
}
