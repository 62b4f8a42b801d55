#include "settings/CommonWidgets.h"

#include "gui/BrandColor.h"
#include "gui/StatusIcon.h"
#include "settings/Style.h"
#include "settings/Symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionFrame>
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

namespace {

// A wrapping, centred line of the empty state, at most `width` wide. It sits
// between stretches rather than being aligned by the layout: an aligned label
// gets the width of its size hint while the layout reserves the height for
// the full width, which cut the text off at top and bottom.
QLabel* centredText(QBoxLayout* layout, const QString& text, int width, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setMaximumWidth(width);
    // The height comes from the width (height for width) alone: the minimum
    // a wrapping label offers is for one word a line, which would make the
    // panel scroll with room to spare.
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->addStretch(1);
    line->addWidget(label, 1000);
    line->addStretch(1);
    layout->addLayout(line);
    return label;
}

}  // namespace

EmptyState::EmptyState(const QString& title, const QString& message, const QString& actionTitle,
                       QWidget* parent)
    : QScrollArea(parent) {
    // A window made smaller than the panel scrolls it rather than cutting
    // its texts.
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    auto* content = new QWidget(this);
    content->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(16, 24, 16, 24);
    layout->setSpacing(8);
    layout->addStretch(1);

    auto* mark = new QLabel(content);
    mark->setPixmap(StatusIcon::brand(32, 2.0));
    mark->setAlignment(Qt::AlignCenter);
    layout->addWidget(mark);

    auto* heading = centredText(layout, title, QWIDGETSIZE_MAX, content);
    heading->setObjectName("emptyStateTitle");
    heading->setFont(scaledFont(14, QFont::DemiBold));

    auto* text = centredText(layout, message, scaled(320), content);
    text->setObjectName("emptyStateMessage");
    text->setFont(scaledFont(12));
    setTextColor(text, secondaryTextColor(this));

    note_ = centredText(layout, QString(), scaled(320), content);
    note_->setObjectName("emptyStateNote");
    note_->setFont(scaledFont(12));
    setTextColor(note_, secondaryTextColor(this));
    note_->hide();

    if (!actionTitle.isEmpty()) {
        layout->addSpacing(4);
        auto* button = new QPushButton(actionTitle, content);
        button->setObjectName("emptyStateAction");
        button->setDefault(true);
        connect(button, &QPushButton::clicked, this, &EmptyState::actionTriggered);
        layout->addWidget(button, 0, Qt::AlignHCenter);
    }
    layout->addStretch(1);
    setWidget(content);
}

QSize EmptyState::sizeHint() const {
    // All of the panel at the width it has, so it scrolls only when the
    // window is too small for it.
    const QSize content = widget()->sizeHint();
    const int height = widget()->heightForWidth(width() > 0 ? width() : content.width());
    return {content.width(), width() > 0 ? height : content.height()};
}

void EmptyState::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        updateGeometry();
}

void EmptyState::setNote(const QString& note) {
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

// --- TitleField -------------------------------------------------------------------------

TitleField::TitleField(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setStyleSheet("QLineEdit { background: transparent; padding: 0; }");
    connect(this, &QLineEdit::textChanged, this, &TitleField::refreshToolTip);
}

QRect TitleField::textArea() const {
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    // The line edit's own inner margins: 2 across, 1 down.
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
        .marginsRemoved(textMargins())
        .adjusted(2, 1, -2, -1);
}

QString TitleField::shownText() const {
    if (hasFocus())
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideRight, textArea().width());
}

void TitleField::paintEvent(QPaintEvent* event) {
    const QString shown = shownText();
    if (shown == text() || text().isEmpty()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textArea(), int(Qt::AlignLeft | Qt::AlignVCenter), shown);
}

void TitleField::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    refreshToolTip();
}

void TitleField::refreshToolTip() {
    const bool cut = fontMetrics().horizontalAdvance(text()) > textArea().width();
    setToolTip(cut ? text() : QString());
}

// --- FooterNote ------------------------------------------------------------------------

FooterNote::FooterNote(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setObjectName("footerNote");
    setFont(scaledFont(11));
    setWordWrap(true);
    setContentsMargins(10, 10, 10, 10);
    setTextColor(this, secondaryTextColor(this));
}

}  // namespace cadro
