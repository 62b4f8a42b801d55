#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/settings/UIState.h"
#endif

#include <QWidget>

class QCheckBox;
class QSpinBox;

namespace cadro {

/// How Cadro shows in the panel: the status text beside the icon, its
/// length, and desktop notifications. Every change is stored at once.
class PanelPreferencesBox : public QWidget {
    Q_OBJECT
  public:
    explicit PanelPreferencesBox(UIState& ui, QWidget* parent = nullptr);

    QCheckBox* labelToggle() const { return showsLabel_; }
    QSpinBox* lengthField() const { return length_; }
    QCheckBox* notificationsToggle() const { return notifies_; }

  private:
    void savePreferences();

    UIState& ui_;
    QCheckBox* showsLabel_;
    QSpinBox* length_;
    QCheckBox* notifies_;
};

}  // namespace cadro
