#include "settings/PanelPreferencesBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace cadro {

PanelPreferencesBox::PanelPreferencesBox(UIState& ui, QWidget* parent)
    : QWidget(parent),
      ui_(ui),
      showsLabel_(new QCheckBox("Show what you are on beside the icon", this)),
      length_(new QSpinBox(this)),
      notifies_(new QCheckBox("Notify when a scheduled to-do comes up or a snooze ends", this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(showsLabel_);

    auto* lengthLine = new QHBoxLayout;
    lengthLine->setContentsMargins(24, 0, 0, 0);  // under the check box's text
    auto* lengthLabel = new QLabel("Longest text in the panel", this);
    lengthLabel->setBuddy(length_);
    lengthLine->addWidget(lengthLabel);
    length_->setRange(int(PanelPreferences::kShortestLabel), int(PanelPreferences::kLongestLabel));
    length_->setSuffix(" characters");
    length_->setAccessibleName("Longest text in the panel");
    lengthLine->addWidget(length_);
    lengthLine->addStretch(1);
    layout->addLayout(lengthLine);
    layout->addWidget(notifies_);

    const PanelPreferences& stored = ui_.panel();
    showsLabel_->setChecked(stored.showsLabel);
    length_->setValue(int(stored.labelLength));
    length_->setEnabled(stored.showsLabel);
    notifies_->setChecked(stored.notifies);

    connect(showsLabel_, &QCheckBox::toggled, this, [this](bool on) {
        length_->setEnabled(on);
        savePreferences();
    });
    connect(length_, &QSpinBox::valueChanged, this, &PanelPreferencesBox::savePreferences);
    connect(notifies_, &QCheckBox::toggled, this, &PanelPreferencesBox::savePreferences);
}

void PanelPreferencesBox::savePreferences() {
    ui_.setPanel({showsLabel_->isChecked(), std::size_t(length_->value()), notifies_->isChecked()});
}

}  // namespace cadro
