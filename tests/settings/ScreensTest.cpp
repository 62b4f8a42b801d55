#include "SettingsFixture.h"

#include "settings/WelcomeWindow.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace cadro::testing {
namespace {

// The part of `widget` that its ancestors up to the window leave in view, in
// its own coordinates.
QRect roomInView(const QWidget* widget) {
    QRect room = widget->rect();
    for (const QWidget* a = widget->parentWidget(); a; a = a->parentWidget()) {
        // What scrolls out of view is not cut off.
        if (auto* area = qobject_cast<const QAbstractScrollArea*>(a->parentWidget()))
            if (area->viewport() == a)
                break;
        room &= QRect(widget->mapFrom(a, QPoint(0, 0)), a->size());
        if (a->isWindow())
            break;
    }
    return room;
}

// Every text of `screen` that does not fit where it is drawn: a label's text
// must lie inside its contents and in view; a field or button must be as high
// as its font asks and in view.
QStringList clippedTexts(QWidget* screen) {
    QStringList clipped;
    for (QWidget* widget : screen->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(screen))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const QRect box = label->contentsRect();
            const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
            const QRect needed = label->fontMetrics().boundingRect(box, flags, label->text());
            if (label->textFormat() != Qt::RichText && !label->text().isEmpty() &&
                !(box.contains(needed) && roomInView(label).contains(needed)))
                clipped << label->text();
            continue;
        }
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            text = edit->text() + edit->placeholderText();
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            text = combo->currentText();
        const bool inSpinBox = qobject_cast<QAbstractSpinBox*>(widget->parentWidget());
        if (!text.isEmpty() && !inSpinBox &&
            (widget->height() < widget->minimumSizeHint().height() ||
             roomInView(widget).height() < widget->height()))
            clipped << text;
    }
    return clipped;
}

class Screens : public SettingsFixture {
  protected:
    ~Screens() override { QApplication::setFont(QFont()); }
};

// Each tab and the add sheets with a new store, and the welcome window, in
// the default font and a large one. CADRO_SCREENS_DIR keeps the pictures.
TEST_F(Screens, NoTextIsClippedWithTheDefaultOrALargeFont) {
    window.hide();
    const QString shots = qEnvironmentVariable("CADRO_SCREENS_DIR");
    auto check = [&shots](QWidget* screen, const QString& name) {
        EXPECT_EQ(clippedTexts(screen).join(" | ").toStdString(), "") << name.toStdString();
        if (!shots.isEmpty())
            screen->grab().save(shots + "/" + name + ".png");
    };
    TempDir autostart;
    XdgAutostartEntry entry(autostart.path(), "/usr/bin/cadro-tray");
    QFont large = QApplication::font();
    large.setPointSizeF(14);
    for (const QFont& font : {QApplication::font(), large}) {
        QApplication::setFont(font);
        const QString size = "-" + QString::number(font.pointSizeF());
        WelcomeWindow welcome(entry, "Ctrl+Alt+Super+N");
        welcome.show();
        settle();
        check(&welcome, "welcome" + size);

        SettingsWindow w(h.store(), shortcuts, ui, *h.calendar, h.clock);
        w.showAndRaise();
        for (SettingsTab tab : kAllSettingsTabs) {
            ui.setSelectedTab(tab);
            settle();
            const std::string_view name = rawValue(tab);
            check(&w, QString::fromUtf8(name.data(), qsizetype(name.size())) + size);
        }
        for (const SettingsSheet& sheet : {SettingsSheet::add(), SettingsSheet::addTodo()}) {
            ui.setSheet(sheet);
            settle();
            check(w.sheetDialog(), QString::fromStdString(sheet.identity()) + size);
            ui.setSheet(std::nullopt);
        }
    }
}

}  // namespace
}  // namespace cadro::testing
