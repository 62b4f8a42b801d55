#pragma once

#include "core/base/Defaults.h"
#include "core/settings/UIState.h"
#include "core/shortcuts/ShortcutSettings.h"
#include "settings/SettingsWindow.h"
#include "settings/ThreadListTab.h"
#include "settings/ThreadRow.h"
#include "support/StoreHarness.h"

#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

#include <memory>

namespace cadro::testing {

/// A settings window over a real store in a temporary folder.
class SettingsFixture : public ::testing::Test {
  protected:
    SettingsFixture() { window.showAndRaise(); }

    /// Lets queued redraws and deletions happen.
    void settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    /// Opens a sheet as the controller does and returns its dialog.
    QDialog* open(const SettingsSheet& sheet) {
        ui.setSheet(sheet);
        return window.sheetDialog();
    }

    ThreadListTab* tab(const char* name) { return window.findChild<ThreadListTab*>(name); }

    ThreadRow* row(const Uuid& id) {
        settle();
        return window.findChild<ThreadRow*>(QString::fromStdString("threadRow-" + id.toString()));
    }

    template <typename T>
    T* in(QWidget* parent, const char* name) {
        T* found = parent ? parent->findChild<T*>(name) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    StoreHarness h;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    UIState ui{defaults};
    ShortcutSettings shortcuts{defaults};
    SettingsWindow window{h.store(), shortcuts, ui, *h.calendar, h.clock};
};

}  // namespace cadro::testing
