#include "settings/Controls.h"

#include "app/BrandColor.h"
#include "app/StatusIcon.h"
#include "core/shell/SettingsText.h"
#include "core/store/ThreadColor.h"
#include "settings/Symbols.h"

#include <QApplication>
#include <QColorDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace cadro {

QColor systemBlue() {
    return QColor(0x00, 0x7A, 0xFF);
}

QColor toQColor(const RgbColor& color) {
    return QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
}

std::optional<QColor> threadColor(const std::optional<std::string>& colorHex) {
    if (!colorHex)
        return std::nullopt;
    if (auto rgb = ThreadColor::fromHex(*colorHex))
        return toQColor(*rgb);
    return std::nullopt;
}

QColor threadColorOrAccent(const Strand* thread) {
    if (thread) {
        if (auto color = threadColor(thread->colorHex))
            return *color;
    }
    return BrandColor::accent();
}

std::string hexOf(const QColor& color) {
    const QColor rgb = color.toRgb();
    return ThreadColor::hex({rgb.redF(), rgb.greenF(), rgb.blueF()});
}

QColor secondaryTextColor(const QWidget* widget) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.6f);
    return color;
}

QFont pixelFont(int pixels, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

void setTextColor(QWidget* widget, const QColor& color) {
    widget->setStyleSheet(QString("color: rgba(%1, %2, %3, %4);")
                              .arg(color.red())
                              .arg(color.green())
                              .arg(color.blue())
                              .arg(color.alphaF()));
}

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.15f);
    palette.setColor(QPalette::WindowText, color);
    line->setPalette(palette);
    return line;
}

// --- IconButton --------------------------------------------------------------------

IconButton::IconButton(std::string_view symbol, const QString& help, QWidget* parent)
    : QToolButton(parent), symbol_(symbol) {
    setToolTip(help);
    setAutoRaise(true);
    setFixedSize(18, 18);
    setIconSize(QSize(16, 16));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet("QToolButton { border: none; padding: 0; background: transparent; }");
    refreshIcon();
}

void IconButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        refreshIcon();
    QToolButton::changeEvent(event);
}

void IconButton::refreshIcon() {
    setIcon(Symbols::icon(symbol_, 16, secondaryTextColor(this)));
}

// --- Stripe --------------------------------------------------------------------------

Stripe::Stripe(QWidget* parent) : QWidget(parent) {
    setFixedWidth(4);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void Stripe::setFill(std::optional<StripeFill> fill) {
    fill_ = fill;
    update();
}

void Stripe::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QBrush brush;
    if (!fill_ || fill_->kind == StripeFill::Kind::verticalGradient) {
        brush = QBrush(BrandColor::verticalGradient());
    } else if (fill_->kind == StripeFill::Kind::solid) {
        brush = QBrush(toQColor(fill_->color));
    } else {
        QColor grey = palette().color(QPalette::WindowText);
        grey.setAlphaF(float(0.6 * fill_->opacity));
        brush = QBrush(grey);
    }
    painter.setBrush(brush);
    painter.drawRoundedRect(QRectF(rect()), 2, 2);
}

// --- EmptyState ------------------------------------------------------------------------

EmptyState::EmptyState(const QString& title, const QString& message, const QString& actionTitle,
                       QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 24, 16, 24);
    layout->setSpacing(8);
    layout->addStretch(1);

    auto* mark = new QLabel(this);
    mark->setPixmap(StatusIcon::brand(32, 2.0));
    mark->setAlignment(Qt::AlignCenter);
    layout->addWidget(mark);

    auto* heading = new QLabel(title, this);
    heading->setObjectName("emptyStateTitle");
    heading->setFont(pixelFont(14, QFont::DemiBold));
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);

    auto* text = new QLabel(message, this);
    text->setObjectName("emptyStateMessage");
    text->setFont(pixelFont(12));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    text->setMaximumWidth(320);
    setTextColor(text, secondaryTextColor(this));
    layout->addWidget(text, 0, Qt::AlignHCenter);

    if (!actionTitle.isEmpty()) {
        layout->addSpacing(4);
        auto* button = new QPushButton(actionTitle, this);
        button->setObjectName("emptyStateAction");
        button->setDefault(true);
        connect(button, &QPushButton::clicked, this, &EmptyState::actionTriggered);
        layout->addWidget(button, 0, Qt::AlignHCenter);
    }
    layout->addStretch(1);
}

// --- FooterNote ------------------------------------------------------------------------

FooterNote::FooterNote(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setObjectName("footerNote");
    setFont(pixelFont(11));
    setWordWrap(true);
    setContentsMargins(10, 10, 10, 10);
    setTextColor(this, secondaryTextColor(this));
}

// --- StepsField --------------------------------------------------------------------------

StepsField::StepsField(QWidget* parent) : QWidget(parent), editor_(new QPlainTextEdit(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* caption = new QLabel("Next steps (one per line)", this);
    caption->setFont(pixelFont(11));
    setTextColor(caption, secondaryTextColor(this));
    layout->addWidget(caption);

    editor_->setObjectName("stepsEditor");
    editor_->setFont(pixelFont(12));
    editor_->setFixedHeight(96);
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
    check_->setFont(pixelFont(12));
    spin_->setFont(pixelFont(12));
    oncePerCycle_->setFont(pixelFont(12));
    spin_->setRange(1, 20);
    spin_->setSingleStep(1);
    spin_->setValue(1);
    spin_->setFixedWidth(52);
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
    check_->setFont(pixelFont(12));
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
