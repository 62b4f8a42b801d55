#include "settings/CommonWidgets.h"

#include "app/BrandColor.h"
#include "app/StatusIcon.h"
#include "settings/Style.h"
#include "settings/Symbols.h"

#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadro {

// --- IconButton --------------------------------------------------------------------

IconButton::IconButton(std::string_view symbol, const QString& help, QWidget* parent)
    : QToolButton(parent), symbol_(symbol) {
    setToolTip(help);
    // Only a symbol shows, so screen readers need the name spelled out.
    setAccessibleName(QString(help).remove(QChar(0x2026)));
    setAutoRaise(true);
    setFixedSize(18, 18);
    setIconSize(QSize(16, 16));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
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

}  // namespace cadro
