// cadro-app-icons OUTDIR APPID: writes the application icon for launchers and
// software centres, drawn from the tray icon's two waves so that both show the
// same mark:
//   OUTDIR/APPID.svg            the full-colour icon (hicolor "scalable")
//   OUTDIR/APPID-symbolic.svg   one colour, for panels that recolour icons
//   OUTDIR/APPID-attention-symbolic.svg   the same with a dot: something is up
//   OUTDIR/NxN/APPID.png        pixmaps for hosts that do not read SVG
// Runs at build time on the offscreen platform.
#include "gui/BrandColor.h"
#include "gui/StatusIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <iostream>

namespace {

using namespace cadro;

using namespace StatusIcon::AppIconLayout;
// The colours symbolic icons show where nothing recolours them: Breeze's text
// colour, and the brand's pink for the dot.
const QColor kSymbolicInk(0x23, 0x26, 0x29);

// `closed` ends every subpath, as filled outlines need.
QString svgPathData(const QPainterPath& path, bool closed) {
    QString data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        QString command = " ";
        if (e.isMoveTo())
            command = i == 0 ? "M" : closed ? " Z M" : " M";
        else if (e.isLineTo())
            command = " L";
        else if (e.isCurveTo())
            command = " C";
        data += QString("%1%2 %3").arg(command).arg(e.x, 0, 'f', 2).arg(e.y, 0, 'f', 2);
    }
    return closed ? data + " Z" : data;
}

QString svgWave(int index, const QColor& color) {
    return QString("    <path d=\"%1\" stroke=\"%2\"/>\n")
        .arg(svgPathData(StatusIcon::wavePath(index), false), color.name());
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

// Filled shapes in one colour, as panels expect of symbolic icons: GTK and
// GNOME Shell replace the fill of every shape (the dot takes their warning
// colour by its class), Plasma sets the colour of its ColorScheme classes.
QString symbolicSvg(bool attention) {
    constexpr qreal kSize = 16;
    QString svg = QString(
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" "
                      "viewBox=\"0 0 16 16\">\n"
                      "  <style id=\"current-color-scheme\" type=\"text/css\">"
                      ".ColorScheme-Text { color:%1; } .ColorScheme-NegativeText { color:%2; }"
                      "</style>\n"
                      "  <path class=\"ColorScheme-Text\" fill=\"currentColor\" "
                      "fill-rule=\"evenodd\" d=\"%3\"/>\n")
                      .arg(kSymbolicInk.name(), StatusIcon::attentionColor().name(),
                           svgPathData(StatusIcon::symbolicPath(attention, kSize), true));
    if (attention) {
        const QRectF dot = StatusIcon::attentionDot(kSize).boundingRect();
        svg += QString(
                   "  <circle class=\"warning ColorScheme-NegativeText\" fill=\"currentColor\" "
                   "cx=\"%1\" cy=\"%2\" r=\"%3\"/>\n")
                   .arg(dot.center().x(), 0, 'f', 2)
                   .arg(dot.center().y(), 0, 'f', 2)
                   .arg(dot.width() / 2, 0, 'f', 2);
    }
    return svg + "</svg>\n";
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
              writeText(out.filePath(id + "-symbolic.svg"), symbolicSvg(false)) &&
              writeText(out.filePath(id + "-attention-symbolic.svg"), symbolicSvg(true));
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1x%1").arg(size);
        ok = ok && out.mkpath(folder) &&
             StatusIcon::appImage(size).save(out.filePath(folder + "/" + id + ".png"));
    }
    if (!ok) {
        std::cerr << "cadro-app-icons: cannot write into " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
