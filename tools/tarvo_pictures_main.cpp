// tarvo-pictures OUTDIR          every built-in picture as PNG at 1x and 2x, and contact-sheet.png
// tarvo-pictures --raster ASSETS renders ASSETS/title.svg to title.jpg and ASSETS/icon.svg to
//                                icons/tarvo-SIZE.png: the raster pictures the program embeds.

#include <QDir>
#include <QGuiApplication>
#include <QSvgRenderer>
#include <QTextStream>
#include <array>

#include "contact_sheet.h"
#include "table/card_pictures.h"
#include "table/svg_image.h"

namespace {

constexpr std::array kScales = {1, 2};
constexpr int kTitleJpegQuality = 92;

bool save(const QImage& image, const QString& file, int quality = -1) {
    if (image.save(file, nullptr, quality)) return true;
    QTextStream(stderr) << "tarvo-pictures: cannot write " << file << '\n';
    return false;
}

QString scaled(const QString& stem, int scale) {
    return scale == 1 ? stem + QStringLiteral(".png")
                      : stem + QStringLiteral("@%1x.png").arg(scale);
}

bool writePictures(const QDir& out) {
    bool ok = true;
    for (int scale : kScales) {
        for (int id = 1; id <= 40; ++id) {
            const QString stem = QStringLiteral("face-%1").arg(id, 2, 10, QLatin1Char('0'));
            ok &=
                save(tarvo::cardFacePixmap(id, scale).toImage(), out.filePath(scaled(stem, scale)));
        }
        ok &= save(tarvo::cardBackPixmap(scale).toImage(), out.filePath(scaled("back", scale)));
        ok &= save(tarvo::contactSheet(scale), out.filePath(scaled("contact-sheet", scale)));
    }
    // The title is a fixed-size JPEG: there is no sharper version of it to render.
    ok &= save(tarvo::titlePixmap().toImage(), out.filePath("title.png"));
    for (int size : tarvo::kWindowIconSizesPx)
        ok &= save(tarvo::windowIcon().pixmap(size, size).toImage(),
                   out.filePath(QStringLiteral("icon-%1.png").arg(size)));
    return ok;
}

bool writeRasterAssets(const QDir& assets) {
    QSvgRenderer title(assets.filePath("title.svg"));
    QSvgRenderer icon(assets.filePath("icon.svg"));
    if (!title.isValid() || !icon.isValid()) {
        QTextStream(stderr) << "tarvo-pictures: no title.svg or icon.svg in " << assets.path()
                            << '\n';
        return false;
    }
    const QImage titleImage =
        tarvo::renderSvgImage(title, QSize(tarvo::kTitleWidthPx, tarvo::kTitleHeightPx), 1)
            .convertToFormat(QImage::Format_RGB32);
    bool ok = save(titleImage, assets.filePath("title.jpg"), kTitleJpegQuality);
    assets.mkpath("icons");
    for (int size : tarvo::kWindowIconSizesPx)
        ok &= save(tarvo::renderSvgImage(icon, QSize(size, size), 1),
                   assets.filePath(QStringLiteral("icons/tarvo-%1.png").arg(size)));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--raster"))
        return writeRasterAssets(QDir(args[2])) ? 0 : 1;
    if (args.size() != 2 || args[1].startsWith('-')) {
        QTextStream(stderr)
            << "usage: tarvo-pictures OUTDIR | tarvo-pictures --raster ASSETS_DIR\n";
        return 2;
    }
    QDir out(args[1]);
    if (!out.mkpath(".")) {
        QTextStream(stderr) << "tarvo-pictures: cannot make " << args[1] << '\n';
        return 1;
    }
    return writePictures(out) ? 0 : 1;
}
