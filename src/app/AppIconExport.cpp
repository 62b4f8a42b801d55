// cadro-app-icons OUTDIR APPID: writes the application icon for launchers and
// software centres, drawn from the tray icon's two waves so that both show the
// same mark:
//   OUTDIR/APPID.svg            the full-colour icon (hicolor "scalable")
//   OUTDIR/APPID-symbolic.svg   one colour, for panels that recolour icons
//   OUTDIR/NxN/APPID.png        pixmaps for hosts that do not read SVG
// Runs at build time on the offscreen platform.
#include "app/BrandColor.h"
#include "app/StatusIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <iostream>

namespace {

using namespace cadro;

// The icon is laid out on a 128-unit square: a rounded tile of paper with the
// waves centred on it.
constexpr qreal kCanvas = 128;
constexpr qreal kTileInset = 8;
constexpr qreal kTileRadius = 24;
constexpr qreal kWaveScale = 4.4;
const QPointF kWaveOrigin((kCanvas - StatusIcon::kWidth * kWaveScale) / 2,
                          (kCanvas - StatusIcon::kHeight * kWaveScale) / 2);
const QColor kTileBorder(0xE4, 0xE0, 0xF5);
// The colour symbolic icons are drawn in; hosts replace it with their own.
const QColor kSymbolicInk(0x24, 0x1F, 0x31);

QString svgPathData(const QPainterPath& path) {
    QString data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        data += QString("%1%2 %3")
                    .arg(e.isMoveTo() ? "M"
                         : i == 1     ? " L"
                                      : " ")
                    .arg(e.x, 0, 'f', 2)
                    .arg(e.y, 0, 'f', 2);
    }
    return data;
}

QString svgWave(int index, const QColor& color) {
    return QString("    <path d=\"%1\" stroke=\"%2\"/>\n")
        .arg(svgPathData(StatusIcon::wavePath(index)), color.name());
}

QString wavesGroup(const QPointF& origin, qreal scale, const QColor& first, const QColor& second) {
    return QString(
               "  <g transform=\"translate(%1 %2) scale(%3)\" fill=\"none\" stroke-width=\"%4\" "
               "stroke-linecap=\"round\" stroke-linejoin=\"round\">\n")
               .arg(origin.x())
               .arg(origin.y())
               .arg(scale)
               .arg(StatusIcon::kLineWidth) +
           svgWave(0, first) + svgWave(1, second) + "  </g>\n";
}

QString fullColourSvg() {
    const qreal tile = kCanvas - 2 * kTileInset;
    return QString(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
               "viewBox=\"0 0 %1 %1\">\n"
               "  <rect x=\"%2\" y=\"%2\" width=\"%3\" height=\"%3\" rx=\"%4\" fill=\"%5\" "
               "stroke=\"%6\" stroke-width=\"2\"/>\n")
               .arg(kCanvas)
               .arg(kTileInset)
               .arg(tile)
               .arg(kTileRadius)
               .arg(BrandColor::paper(Appearance::light).name(), kTileBorder.name()) +
           wavesGroup(kWaveOrigin, kWaveScale, BrandColor::violet(),
                      BrandColor::pink(Appearance::light)) +
           "</svg>\n";
}

QString symbolicSvg() {
    // 16 units square: the waves fill the width and sit in the middle.
    constexpr qreal kSize = 16;
    const qreal scale = kSize / StatusIcon::kWidth;
    const QPointF origin(0, (kSize - StatusIcon::kHeight * scale) / 2);
    return QString(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" "
               "viewBox=\"0 0 16 16\">\n") +
           wavesGroup(origin, scale, kSymbolicInk, kSymbolicInk) + "</svg>\n";
}

QImage fullColourPixmap(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    const qreal tile = kCanvas - 2 * kTileInset;
    painter.setPen(QPen(kTileBorder, 2));
    painter.setBrush(BrandColor::paper(Appearance::light));
    painter.drawRoundedRect(QRectF(kTileInset, kTileInset, tile, tile), kTileRadius, kTileRadius);
    painter.translate(kWaveOrigin);
    painter.scale(kWaveScale, kWaveScale);
    const QColor colours[] = {BrandColor::violet(), BrandColor::pink(Appearance::light)};
    for (int index : {0, 1}) {
        painter.strokePath(StatusIcon::wavePath(index),
                           QPen(colours[index], StatusIcon::kLineWidth, Qt::SolidLine, Qt::RoundCap,
                                Qt::RoundJoin));
    }
    return image;
}

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream(&file) << text;
    return file.flush();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: cadro-app-icons OUTDIR APPID\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString id = QString::fromLocal8Bit(argv[2]);

    bool ok = out.mkpath(".") && writeText(out.filePath(id + ".svg"), fullColourSvg()) &&
              writeText(out.filePath(id + "-symbolic.svg"), symbolicSvg());
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1x%1").arg(size);
        ok = ok && out.mkpath(folder) &&
             fullColourPixmap(size).save(out.filePath(folder + "/" + id + ".png"));
    }
    if (!ok) {
        std::cerr << "cadro-app-icons: cannot write into " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
