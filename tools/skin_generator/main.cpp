// skin_generator: draws every skin image (at 1:1 and at twice the size), the splash artwork and the
// program's icons and writes them as PNG files.
//
//   skin_generator [OUTPUT_FOLDER] [--preview PREVIEW_FOLDER]
//
// OUTPUT_FOLDER defaults to the repository's assets/; the pictures drawn at twice the size go to its
// 2x/ folder. The same program on the same machine set-up always writes byte-identical files; the
// assets test depends on that.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <map>

#include "tools/skin_generator/paint_kit.h"
#include "tools/skin_generator/preview.h"
#include "tools/skin_generator/program_icons.h"
#include "tools/skin_generator/skin_images.h"

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "skin_generator: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    // No display is needed: everything is drawn into images.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    QString output = QStringLiteral(TINTELO_ASSETS_DIR);
    QString preview;
    const QStringList arguments = application.arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--preview" && i + 1 < arguments.size()) {
            preview = arguments[++i];
        } else if (arguments[i].startsWith("-")) {
            return fail("usage: skin_generator [OUTPUT_FOLDER] [--preview PREVIEW_FOLDER]");
        } else {
            output = arguments[i];
        }
    }

    QString error;
    if (!skin::load_fonts(&error)) return fail(error);
    if (!QDir().mkpath(output)) return fail("cannot create " + output);

    // The 1:1 set, then the set drawn anew at twice the size for fine screens, in 2x/.
    std::map<QString, QImage> drawn;
    for (int scale : skin::skin_scales) {
        skin::set_drawing_scale(scale);
        const QString folder = output + skin::skin_folder(scale);
        if (!QDir().mkpath(folder)) return fail("cannot create " + folder);
        for (const skin::SkinImage& entry : skin::skin_images()) {
            // Opaque 32-bit pictures: the skin never shows through to the desktop.
            QImage image = entry.draw().convertToFormat(QImage::Format_RGB32);
            if (image.width() != entry.width * scale || image.height() != entry.height * scale)
                return fail(
                    QString("%1 came out %2 x %3").arg(entry.file).arg(image.width()).arg(image.height()));
            // The file says nothing of the scale; the folder does.
            image.setDevicePixelRatio(1);
            const QString path = folder + "/" + entry.file;
            if (!image.save(path, "PNG")) return fail("cannot write " + path);
            if (scale == 1) drawn[entry.file] = image;
        }
    }
    skin::set_drawing_scale(1);
    if (!QDir().mkpath(output + "/icons")) return fail("cannot create " + output + "/icons");
    for (int size : skin::program_icon_sizes) {
        const QString path = output + "/" + skin::program_icon_file(size);
        if (!skin::draw_program_icon(size).save(path, "PNG")) return fail("cannot write " + path);
    }
    if (!preview.isEmpty() && !skin::write_previews(preview, drawn, &error)) return fail(error);
    return 0;
}
