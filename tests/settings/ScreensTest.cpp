#include "SettingsFixture.h"

#include "settings/WelcomeWindow.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include <functional>

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
// must lie inside its contents and in view; a field or button must have the
// height its font asks for and show all of it.
QStringList clippedTexts(QWidget* screen) {
    QStringList clipped;
    for (QLabel* label : screen->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(screen) || label->text().isEmpty() ||
            label->textFormat() == Qt::RichText)
            continue;
        const QRect box = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = label->fontMetrics().boundingRect(box, flags, label->text());
        if (!box.contains(needed) || !roomInView(label).contains(needed))
            clipped << label->text();
    }
    for (QWidget* field : screen->findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(field))
            text = button->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(field))
            text = edit->text().isEmpty() ? edit->placeholderText() : edit->text();
        else if (auto* combo = qobject_cast<QComboBox*>(field))
            text = combo->currentText();
        else if (qobject_cast<QAbstractSpinBox*>(field))
            text = field->objectName();
        if (text.isEmpty() || !field->isVisibleTo(screen) || field->parentWidget() == nullptr ||
            qobject_cast<QAbstractSpinBox*>(field->parentWidget()))
            continue;
        if (field->height() < field->minimumSizeHint().height() ||
            roomInView(field).height() < field->height())
            clipped << text;
    }
    return clipped;
}

class Screens : public SettingsFixture {
  protected:
    ~Screens() override { QApplication::setFont(QFont()); }
};

TEST_F(Screens, NoTextIsClippedWithTheDefaultOrALargeFont) {
    window.hide();
    const QString shots = qEnvironmentVariable("CADRO_SCREENS_DIR");
    TempDir autostart;
    XdgAutostartEntry entry(autostart.path(), "/usr/bin/cadro-tray");
    const QFont standard = QApplication::font();
    QFont large = standard;
    large.setPointSizeF(14);

    struct Screen {
        const char* name;
        std::function<QWidget*(SettingsWindow&)> open;
    };
    auto tab = [this](SettingsTab which) {
        return [this, which](SettingsWindow& w) -> QWidget* {
            ui.setSelectedTab(which);
            return &w;
        };
    };
    auto sheet = [this](SettingsSheet which) {
        return [this, which](SettingsWindow& w) -> QWidget* {
            ui.setSheet(which);
            return w.sheetDialog();
        };
    };
    const Screen screens[] = {
        {"active", tab(SettingsTab::active)},        {"parked", tab(SettingsTab::parked)},
        {"snoozed", tab(SettingsTab::snoozed)},      {"todo", tab(SettingsTab::todo)},
        {"braindump", tab(SettingsTab::brainDump)},  {"shortcuts", tab(SettingsTab::shortcuts)},
        {"add-thread", sheet(SettingsSheet::add())}, {"add-todo", sheet(SettingsSheet::addTodo())},
    };
    for (const QFont& font : {standard, large}) {
        QApplication::setFont(font);
        const QString size = QString::number(font.pointSizeF());
        {
            WelcomeWindow welcome(entry, "Ctrl+Alt+Super+N");
            welcome.show();
            settle();
            EXPECT_EQ(clippedTexts(&welcome).join(" | ").toStdString(), "")
                << "welcome at " << size.toStdString();
            if (!shots.isEmpty())
                welcome.grab().save(shots + "/welcome-" + size + ".png");
        }
        SettingsWindow w(h.store(), shortcuts, ui, *h.calendar, h.clock);
        w.showAndRaise();
        for (const Screen& screen : screens) {
            QWidget* shown = screen.open(w);
            ASSERT_NE(shown, nullptr) << screen.name;
            settle();
            EXPECT_EQ(clippedTexts(shown).join(" | ").toStdString(), "")
                << screen.name << " at " << size.toStdString();
            if (!shots.isEmpty())
                shown->grab().save(QString("%1/%2-%3.png").arg(shots, screen.name, size));
            ui.setSheet(std::nullopt);
        }
    }
}

}  // namespace
}  // namespace cadro::testing
