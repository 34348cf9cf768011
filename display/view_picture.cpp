#include "display/view_picture.h"

#include "display/view_render.h"
#include "engine/row_pool.h"

ViewPicture draw_view_picture(const Bitmap32& photo, const ViewGeometry& device_geometry,
                              std::uint32_t background)
{
    ViewPicture picture{device_geometry, background, {}};
    picture.words.resize(static_cast<std::size_t>(device_geometry.view_width()) *
                         device_geometry.view_height());
    // The pool belongs to the shown photo; a picture drawn ahead takes only its own thread.
    RowPool this_thread_only(1);
    render_view(photo, device_geometry, background, picture.words.data(), device_geometry.view_width(),
                this_thread_only);
    return picture;
}
