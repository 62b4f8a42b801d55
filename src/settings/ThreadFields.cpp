#include "settings/ThreadFields.h"

#include "core/settings/ColorPanelPlacement.h"
#include "settings/Style.h"

#include <QApplication>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace cadro {

// --- StepsField --------------------------------------------------------------------------

StepsField::StepsField(QWidget* parent) : QWidget(parent), editor_(new QPlainTextEdit(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* caption = new QLabel("Next steps (one per line)", this);
    caption->setFont(scaledFont(11));
    setTextColor(caption, secondaryTextColor(this));
    layout->addWidget(caption);

    editor_->setObjectName("stepsEditor");
    editor_->setFont(scaledFont(12));
    editor_->setFixedHeight(scaled(96));
    editor_->setTabChangesFocus(true);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QColor border = secondaryTextColor(this);
    border.setAlphaF(0.3f);
    editor_->setStyleSheet(QString("QPlainTextEdit { border: 1px solid %1; border-radius: 5px;"
                                   " padding: 5px; }")
                               .arg(border.name(QColor::HexArgb)));
    layout->addWidget(editor_);
}

// --- PriorityPicker -------------------------------------------------------------------------

PriorityPicker::PriorityPicker(QWidget* parent)
    : QWidget(parent),
      check_(new QCheckBox("Priority", this)),
      spin_(new QSpinBox(this)),
      oncePerCycle_(new QLabel("once per cycle", this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    check_->setObjectName("priorityCheck");
    spin_->setObjectName("prioritySpin");
    check_->setFont(scaledFont(12));
    spin_->setFont(scaledFont(12));
    oncePerCycle_->setFont(scaledFont(12));
    spin_->setRange(1, 20);
    spin_->setSingleStep(1);
    spin_->setValue(1);
    spin_->setFixedWidth(scaled(52));
    setTextColor(oncePerCycle_, secondaryTextColor(this));
    layout->addWidget(check_);
    layout->addWidget(spin_);
    layout->addWidget(oncePerCycle_);
    layout->addStretch(1);
    updateVisibility();
    connect(check_, &QCheckBox::toggled, this, [this](bool on) {
        updateVisibility();
        emit toggled(on);
    });
    connect(spin_, &QSpinBox::valueChanged, this, &PriorityPicker::priorityChanged);
}

void PriorityPicker::setValues(bool hasPriority, int priority) {
    QSignalBlocker blockCheck(check_);
    QSignalBlocker blockSpin(spin_);
    check_->setChecked(hasPriority);
    spin_->setValue(priority);
    updateVisibility();
}

void PriorityPicker::updateVisibility() {
    spin_->setVisible(check_->isChecked());
    oncePerCycle_->setVisible(!check_->isChecked());
}

// --- ColorWell and ColorControl ----------------------------------------------------------------

ColorWell::ColorWell(QWidget* parent) : QPushButton(parent), color_(systemBlue()) {
    setObjectName("colorWell");
    setToolTip("Choose a color");
    setFixedSize(42, 24);
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, [this] {
        QPointer<ColorWell> self(this);
        NearbyColorPanel::show(
            color_,
            [self](const QColor& picked) {
                if (!self)
                    return;
                self->setColor(picked);
                emit self->colorPicked(picked);
            },
            this);
    });
}

void ColorWell::setColor(const QColor& color) {
    color_ = color;
    update();
}

void ColorWell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5);
    QColor outline = palette().color(QPalette::WindowText);
    outline.setAlphaF(hasFocus() ? 0.8f : 0.35f);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(color_);
    painter.drawRoundedRect(face, 4, 4);
}

ColorControl::ColorControl(QWidget* parent)
    : QWidget(parent), check_(new QCheckBox("Color", this)), well_(new ColorWell(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    check_->setObjectName("colorCheck");
    check_->setFont(scaledFont(12));
    layout->addWidget(check_);
    layout->addWidget(well_);
    layout->addStretch(1);
    well_->setVisible(false);
    connect(check_, &QCheckBox::toggled, this, [this](bool on) {
        well_->setVisible(on);
        emit toggled(on);
    });
    connect(well_, &ColorWell::colorPicked, this, &ColorControl::colorPicked);
}

void ColorControl::setValues(bool hasColor, const QColor& color) {
    QSignalBlocker block(check_);
    check_->setChecked(hasColor);
    well_->setColor(color);
    well_->setVisible(hasColor);
}

// --- NearbyColorPanel
// ------------------------------------------------------------------------------

namespace NearbyColorPanel {
namespace {

struct Controller {
    QPointer<QColorDialog> dialog;
    std::function<void(const QColor&)> onChange;
};

Controller& controller() {
    static Controller* shared = new Controller;  // lives for the run
    return *shared;
}

ScreenRect toScreenRect(const QRect& r) {
    return {double(r.x()), double(r.y()), double(r.width()), double(r.height())};
}

}  // namespace

QColorDialog* panel() {
    return controller().dialog;
}

void show(const QColor& color, std::function<void(const QColor&)> onChange, QWidget* from) {
    Controller& c = controller();
    if (!c.dialog) {
        c.dialog = new QColorDialog;
        c.dialog->setObjectName("colorPanel");
        c.dialog->setWindowTitle("Colors");
        c.dialog->setOption(QColorDialog::ShowAlphaChannel, false);
        c.dialog->setOption(QColorDialog::NoButtons, true);
        c.dialog->setAttribute(Qt::WA_ShowWithoutActivating);
        QObject::connect(c.dialog, &QColorDialog::currentColorChanged, [](const QColor& picked) {
            if (controller().onChange)
                controller().onChange(picked);
        });
    }
    c.onChange = nullptr;  // setting the colour must not write into the old owner
    c.dialog->setCurrentColor(color);
    c.onChange = std::move(onChange);

    // Beside the window the user works in: a sheet stands for its parent window.
    QWidget* window = from ? from->window() : QApplication::activeWindow();
    if (window && window->isModal() && window->parentWidget())
        window = window->parentWidget()->window();
    if (window) {
        const QRect frame = window->frameGeometry();
        QScreen* screen = window->screen();
        const QRect visible = screen ? screen->availableGeometry() : frame;
        const QSize size = c.dialog->sizeHint();
        const ScreenPoint origin = colorPanelOrigin(size.width(), size.height(),
                                                    toScreenRect(frame), toScreenRect(visible));
        c.dialog->move(int(origin.x), int(origin.y));
    }
    c.dialog->show();
    c.dialog->raise();
}

void close() {
    Controller& c = controller();
    if (!c.onChange)
        return;
    c.onChange = nullptr;
    if (c.dialog)
        c.dialog->close();
}

}  // namespace NearbyColorPanel
}  // namespace cadro
