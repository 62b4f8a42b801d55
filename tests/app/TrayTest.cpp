#include "app/MenuRenderer.h"
#include "app/tray/StatusNotifierItem.h"
#include "gui/StatusIcon.h"
#include "support/TempDir.h"
#include "support/TrayHarness.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace cadro {
namespace {

using testing::TrayHarness;

QAction* entry(QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions())
        if (action->text() == title)
            return action;
    return nullptr;
}

TEST(MenuRenderer, DrawsTheModelAndRunsAChosenEntryLaterWithItsPayload) {
    TrayHarness h;
    auto web = h.addThread("Website");
    h->reviseThread(web, {.colorHex = "#8B7CF6"});
    const Uuid japanese = h.addThread("Japanese");
    h->park(japanese);
    h->startDay();
    std::vector<MenuItem> model = h.menu();
    model.back().tooltip = "Only available in the installed app.";

    std::vector<std::pair<MenuAction, std::string>> ran;
    QMenu menu;
    renderMenu(&menu, model,
               [&](MenuAction action, std::string payload) { ran.emplace_back(action, payload); });
    ASSERT_EQ(menu.actions().size(), static_cast<qsizetype>(model.size()));
    for (std::size_t i = 0; i < model.size(); ++i) {
        QAction* action = menu.actions()[static_cast<qsizetype>(i)];
        EXPECT_EQ(action->isSeparator(), model[i].isSeparator) << i;
        if (model[i].isSeparator)
            continue;
        const std::string column = model[i].shortcut.empty() ? "" : "\t" + model[i].shortcut;
        EXPECT_EQ(action->text().toStdString(), model[i].title + column);
        EXPECT_EQ(action->isEnabled(), model[i].enabled) << model[i].title;
    }
    EXPECT_FALSE(entry(menu, "Website")->icon().isNull());  // the colour dot
    EXPECT_EQ(entry(menu, "Quit Cadro")->toolTip(), "Only available in the installed app.");
    QAction* login = entry(menu, "Launch at Login");
    EXPECT_TRUE(login->isCheckable() && !login->isChecked());  // a toggle while off too
    QMenu* parked = entry(menu, "Parked (1)")->menu();
    ASSERT_NE(parked, nullptr);
    EXPECT_EQ(parked->actions().front()->text(), "Japanese");

    parked->actions().front()->trigger();
    EXPECT_TRUE(ran.empty());  // not inside the menu's own handling
    QApplication::processEvents();
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0].first, MenuAction::unpark);
    EXPECT_EQ(ran[0].second, japanese.toString());
}

// The first fully opaque pixel of the smallest image, as (A, R, G, B) bytes.
QByteArray firstOpaquePixel(const SniPixmap& pixmap) {
    for (qsizetype i = 0; i + 3 < pixmap.pixels.size(); i += 4)
        if (quint8(pixmap.pixels[i]) == 0xFF)
            return pixmap.pixels.mid(i, 4);
    return {};
}

TEST(StatusNotifierItem, ShowsTheLookEscapesTheTooltipAndSignalsOnlyChanges) {
    QObject object;
    StatusNotifierItem item(&object, {[](QPoint) {}, [] {}});
    item.show({"Alpha", "Alpha", QColor(Qt::red), false});
    ASSERT_GE(item.iconPixmap().size(), 3);
    EXPECT_EQ(firstOpaquePixel(item.iconPixmap()[0]), QByteArray("\xFF\xFF\x00\x00", 4));
    // The coloured icon has no name: hosts would prefer the name and lose the colour.
    EXPECT_TRUE(item.iconName().isEmpty());
    EXPECT_TRUE(item.attentionIconName().endsWith("-attention-symbolic"));

    // The escaped tooltip and the plain title and label are read in the real
    // panels' tests. The host is told only what changed.
    item.show({"Alpha", "Alpha", std::nullopt, false});
    EXPECT_FALSE(item.iconName().isEmpty());
    QSignalSpy label(&item, &StatusNotifierItem::XAyatanaNewLabel);
    QSignalSpy status(&item, &StatusNotifierItem::NewStatus);
    QSignalSpy icon(&item, &StatusNotifierItem::NewIcon);

    item.show({"Alpha", "Alpha", std::nullopt, true});
    item.show({"Beta", "Be\u2026", std::nullopt, true});
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(item.status(), "NeedsAttention");
    ASSERT_EQ(label.count(), 1);
    EXPECT_EQ(label[0][0].toString(), "Be\u2026");
    EXPECT_EQ(icon.count(), 0);
}

// Device pixels, straight (not premultiplied) colours.
QImage straight(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

double luminance(const QColor& c) {
    auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How many pixels of `image`, laid on `panel`, stand out from it by 3:1 or
// more: enough of them trace the glyph.
int distinctPixels(const QImage& image, const QColor& panel) {
    const QImage pixels = straight(image);
    int count = 0;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            const QColor p = pixels.pixelColor(x, y);
            const double a = p.alphaF();
            const QColor shown = QColor::fromRgbF(float(p.redF() * a + panel.redF() * (1 - a)),
                                                  float(p.greenF() * a + panel.greenF() * (1 - a)),
                                                  float(p.blueF() * a + panel.blueF() * (1 - a)));
            if (contrast(shown, panel) >= 3)
                ++count;
        }
    return count;
}

const int kCheckedSizes[] = {16, 22, 24};
// Two waves of 1.6 px and more across most of the width trace well over
// twice the size in pixels; an icon that vanishes into the panel has none.
constexpr int kEnoughPixelsPerSide = 2;

TEST(StatusIconTest, PlainAndAttentionIconsStandOutOnDarkAndLightPanels) {
    for (bool attention : {false, true}) {
        for (int size : kCheckedSizes) {
            const QImage image = StatusIcon::panelImage(std::nullopt, attention, size);
            ASSERT_EQ(image.size(), QSize(size, size));
            for (const QColor& panel :
                 {QColor(Qt::black), QColor(0x33, 0x33, 0x33), QColor(Qt::white)})
                EXPECT_GE(distinctPixels(image, panel), kEnoughPixelsPerSide * size)
                    << "attention " << attention << ", " << size << " px on "
                    << panel.name().toStdString();
        }
    }
    // The dot marks attention in the top right corner.
    const QImage plain = straight(StatusIcon::panelImage(std::nullopt, false, 24));
    const QImage dotted = straight(StatusIcon::panelImage(std::nullopt, true, 24));
    const QPoint dot(19, 5);
    EXPECT_EQ(dotted.pixelColor(dot).rgb(), StatusIcon::attentionColor().rgb());
    EXPECT_NE(plain.pixelColor(dot), dotted.pixelColor(dot));
}

TEST(StatusIconTest, TintedWavesAreOnlyTheThreadColour) {
    const QColor tint(0x4F, 0x8E, 0xF7);
    const QImage image = straight(StatusIcon::panelImage(tint, false, 24));
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            painted += pixel.alpha() > 128;
            EXPECT_TRUE(pixel.alpha() <= 128 || std::abs(pixel.hue() - tint.hue()) <= 2);
        }
    EXPECT_GT(painted, 60);
    EXPECT_EQ(image.pixelColor(5, 12).alpha(), 0) << "the gap between the waves stays open";
}

// The symbolic icons as the build writes them, drawn by librsvg (which GTK
// and GNOME Shell use) with the colours each kind of panel gives them: GTK
// replaces every fill, Plasma sets the colour of its ColorScheme classes.
// White on the grey panel passes wherever white on black would.
TEST(StatusIconTest, SymbolicIconsAreFilledShapesThatPanelsRecolour) {
    testing::TempDir dir;
    const QString out = QString::fromStdString(dir.path().string());
    ASSERT_EQ(QProcess::execute(CADRO_APP_ICONS, {out, "app"}), 0);
    struct Host {
        const char* name;
        QString css;
        QColor panel;
    } hosts[] = {
        {"GTK, grey", "path, circle { fill: #ffffff !important; }", QColor(0x33, 0x33, 0x33)},
        {"GTK, light", "path, circle { fill: #2e3436 !important; }", QColor(Qt::white)},
        {"Plasma, dark", ".ColorScheme-Text { color: #fcfcfc !important; }",
         QColor(0x33, 0x33, 0x33)},
        {"Plasma, light", ".ColorScheme-Text { color: #232629 !important; }", QColor(Qt::white)},
    };
    for (const QString name : {"app-symbolic", "app-attention-symbolic"}) {
        for (const Host& host : hosts) {
            QFile css(out + "/host.css");
            ASSERT_TRUE(css.open(QIODevice::WriteOnly | QIODevice::Truncate));
            css.write(host.css.toUtf8());
            css.close();
            for (int size : kCheckedSizes) {
                const QString png = out + "/drawn.png";
                ASSERT_EQ(QProcess::execute(
                              "rsvg-convert",
                              {"-s", css.fileName(), "-w", QString::number(size), "-h",
                               QString::number(size), "-o", png, out + "/" + name + ".svg"}),
                          0);
                const QImage image = straight(QImage(png));
                SCOPED_TRACE(
                    QString("%1 at %2 px, %3").arg(name).arg(size).arg(host.name).toStdString());
                EXPECT_GE(distinctPixels(image, host.panel), kEnoughPixelsPerSide * size);
                // Two waves apart, not one filled blob: ink on the crest, none
                // in the middle of the gap below it.
                EXPECT_GT(image.pixelColor(int(size * 0.21), int(size * 0.25)).alpha(), 128);
                EXPECT_LT(image.pixelColor(int(size * 0.21), size / 2).alpha(), 26);
            }
        }
    }
}

TEST(StatusIconTest, DotIsTheThreadColourOrNothing) {
    EXPECT_TRUE(StatusIcon::dot("#12345G").isNull());  // the store's parser refuses the rest
    EXPECT_TRUE(StatusIcon::dot(std::nullopt).isNull());
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = straight(StatusIcon::dot("#4F8EF7", ratio).toImage());
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.pixelColor(int(4.5 * ratio), int(4.5 * ratio)), QColor(0x4F, 0x8E, 0xF7));
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "a circle, not a square";
    }
}

}  // namespace
}  // namespace cadro
