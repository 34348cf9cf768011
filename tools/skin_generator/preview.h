// Composes the skin images into pictures of the finished windows, so the artwork can be judged
// as a whole before the real windows exist. The previews are for looking at, not for shipping.
#pragma once

#include <QImage>
#include <QString>
#include <map>

namespace skin {

// `images` maps file names (e.g. "top_bar.png") to the drawn images. Returns false with a message on failure.
bool write_previews(const QString& folder, const std::map<QString, QImage>& images, QString* error);

}  // namespace skin
