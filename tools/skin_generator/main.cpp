// skin_generator: draws every skin image, the splash artwork and the program's icons and writes
// them as PNG files.
//
//   skin_generator [OUTPUT_FOLDER] [--preview PREVIEW_FOLDER]
//
// OUTPUT_FOLDER defaults to the repository's assets/. The same program on the same machine set-up
// always writes byte-identical files; the assets test depends on that.
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

    std::map<QString, QImage> drawn;
    for (const skin::SkinImage& entry : skin::skin_images()) {
        // Opaque 32-bit pictures: the skin never shows through to the desktop.
        const QImage image = entry.draw().convertToFormat(QImage::Format_RGB32);
        if (image.width() != entry.width || image.height() != entry.height)
            return fail(
                QString("%1 came out %2 x %3").arg(entry.file).arg(image.width()).arg(image.height()));
        const QString path = output + "/" + entry.file;
        if (!image.save(path, "PNG")) return fail("cannot write " + path);
        drawn[entry.file] = image;
    }
    if (!QDir().mkpath(output + "/icons")) return fail("cannot create " + output + "/icons");
    for (int size : skin::program_icon_sizes) {
        const QString path = output + "/" + skin::program_icon_file(size);
        if (!skin::draw_program_icon(size).save(path, "PNG")) return fail("cannot write " + path);
    }
    if (!preview.isEmpty() && !skin::write_previews(preview, drawn, &error)) return fail(error);
    return 0;
}
