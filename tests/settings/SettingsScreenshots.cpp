// Renders the settings window's tabs and sheets, the welcome window and the
// tray menu with the demo data, for looking at them without a desktop.
#include "app/MenuRenderer.h"
#include "core/base/Defaults.h"
#include "core/demo/DemoFixtures.h"
#include "core/shell/StatusMenu.h"
#include "core/shell/UIState.h"
#include "core/shortcuts/KeyNotation.h"
#include "core/shortcuts/ShortcutSettings.h"
#include "settings/SettingsWindow.h"
#include "settings/ShortcutsTab.h"
#include "settings/ThreadRow.h"
#include "settings/WelcomeWindow.h"
#include "support/StoreHarness.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QTest>

#include <iostream>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? argv[1] : ".");
    // "--dark" as second argument: the same shots in a dark palette.
    const bool dark = argc > 2 && QString(argv[2]) == "--dark";
    if (dark) {
        QApplication::setStyle("Fusion");
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(0x2B, 0x2A, 0x33));
        palette.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xF2));
        palette.setColor(QPalette::Base, QColor(0x1F, 0x1E, 0x26));
        palette.setColor(QPalette::AlternateBase, QColor(0x2B, 0x2A, 0x33));
        palette.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xF2));
        palette.setColor(QPalette::Button, QColor(0x3A, 0x39, 0x44));
        palette.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xF2));
        palette.setColor(QPalette::PlaceholderText, QColor(0x99, 0x98, 0xA6));
        QApplication::setPalette(palette);
    }
    const char* suffix = dark ? "-dark.png" : ".png";
    using namespace cadro;

    testing::StoreHarness h;
    DemoFixtures::populate(h.store(), h.clock.now(), *h.calendar);
    auto defaults = std::make_shared<MemoryDefaults>();
    UIState ui(defaults);
    ShortcutSettings shortcuts(defaults);
    SettingsWindow window(h.store(), shortcuts, ui, *h.calendar, h.clock);
    window.showAndRaise();

    auto save = [&](QWidget* widget, const char* name) {
        QApplication::processEvents();
        const QString path = out.filePath(QString(name).replace(".png", suffix));
        if (!widget->grab().save(path)) {
            std::cerr << "could not write " << path.toStdString() << "\n";
            return false;
        }
        std::cout << path.toStdString() << "\n";
        return true;
    };

    bool ok = true;
    // Show the actions of the current row as if the pointer rested on it.
    if (const Strand* current = h->current()) {
        auto* row = window.findChild<ThreadRow*>(
            QString::fromStdString("threadRow-" + current->id.toString()));
        if (row) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(row, &enter);
        }
    }
    ok &= save(&window, "settings-active.png");
    ui.setSelectedTab(SettingsTab::parked);
    ok &= save(&window, "settings-parked.png");
    ui.setSelectedTab(SettingsTab::snoozed);
    ok &= save(&window, "settings-snoozed.png");

    ui.setSelectedTab(SettingsTab::active);
    ui.setSheet(SettingsSheet::add());
    if (QDialog* sheet = window.sheetDialog()) {
        sheet->findChild<QLineEdit*>("titleField")->setText("Quarterly report");
        sheet->findChild<QLineEdit*>("stepField")->setText("Collect the numbers");
        ok &= save(sheet, "settings-add-thread.png");
    } else {
        ok = false;
    }
    ui.setSheet(std::nullopt);

    ui.setSelectedTab(SettingsTab::todo);
    ok &= save(&window, "settings-todo.png");
    ui.setSheet(SettingsSheet::addTodo());
    if (QDialog* sheet = window.sheetDialog()) {
        sheet->findChild<QLineEdit*>("titleField")->setText("Stretch");
        sheet->findChild<QCheckBox*>("scheduleCheck")->click();
        sheet->findChild<QCheckBox*>("repeatsCheck")->click();
        ok &= save(sheet, "settings-add-todo.png");
    } else {
        ok = false;
    }
    for (const Todo& todo : h->todos()) {
        if (todo.schedule)
            ui.setSheet(SettingsSheet::scheduleTodo(todo.id));
    }
    if (QDialog* sheet = window.sheetDialog())
        ok &= save(sheet, "settings-schedule.png");
    else
        ok = false;

    // As an installed copy shows it, with the login switch.
    testing::TempDir config;
    XdgAutostartEntry autostart(config.path(), "/usr/bin/cadro-tray");
    WelcomeWindow welcome(autostart,
                          QString::fromStdString(comboText(shortcuts.combo(HotKeyAction::next))));
    welcome.show();
    ok &= save(&welcome, "welcome.png");
    QApplication::processEvents();

    h->editBrainDump(
        "- Call the printer about the invoice\n- Book flights for March\n"
        "- Idea: a quiz at the end of chapter 3\n");
    ui.setSelectedTab(SettingsTab::brainDump);
    ok &= save(&window, "settings-brain-dump.png");

    ui.setSelectedTab(SettingsTab::shortcuts);
    ok &= save(&window, "settings-shortcuts.png");
    // Recording Next, after pressing the combo of Next with New Task.
    window.findChild<ShortcutsTab*>()->row(HotKeyAction::next)->startRecording();
    QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    ok &= save(&window, "settings-shortcuts-recording.png");
    window.findChild<ShortcutsTab*>()->row(HotKeyAction::next)->stopRecording();

    QMenu menu;
    renderMenu(
        &menu,
        buildStatusMenu({h.store(), shortcuts, nullptr, nullptr, *h.calendar, h.clock.now()}),
        [](MenuAction, const std::string&) {});
    menu.adjustSize();
    ok &= save(&menu, "tray-menu-shortcuts.png");
    return ok ? 0 : 1;
}
