#include "display/display_profile.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "photo_files/colour_profile.h"

namespace {

// Larger than any display profile; a property claiming more is not read.
constexpr std::uint32_t kMaxProfileBytes = 64u << 20;

IccProfile file_bytes(const char* path)
{
    QFile file(QFile::decodeName(path));
    if (file.size() > kMaxProfileBytes || !file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return IccProfile(bytes.begin(), bytes.end());
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

xcb_atom_t atom_named(xcb_connection_t* connection, const std::string& name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The n-th screen's profile as the desktop publishes it on the root window, screens
// numbered in the order Qt lists them (the primary one first).
IccProfile x11_profile(QScreen* screen)
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) return {};
    const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (root == nullptr) return {};
    const qsizetype index = screen != nullptr ? QGuiApplication::screens().indexOf(screen) : 0;
    const std::string name = index > 0 ? "_ICC_PROFILE_" + std::to_string(index) : "_ICC_PROFILE";
    const xcb_atom_t atom = atom_named(connection, name);
    if (atom == XCB_ATOM_NONE) return {};
    const std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root->root, atom, XCB_ATOM_CARDINAL, 0, kMaxProfileBytes / 4),
        nullptr));
    if (!reply || reply->format != 8 || reply->bytes_after != 0) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(xcb_get_property_value(reply.get()));
    return IccProfile(bytes, bytes + xcb_get_property_value_length(reply.get()));
}

}  // namespace

IccProfile display_profile(QScreen* screen)
{
    const char* chosen = std::getenv("TINTELO_DISPLAY_PROFILE");
    if (chosen != nullptr && *chosen != '\0') return rgb_profile_or_srgb(file_bytes(chosen));
    return rgb_profile_or_srgb(x11_profile(screen));
}
