#include "settings/NowBar.h"

#include "core/settings/SettingsText.h"
#include "core/settings/ThreadTint.h"
#include "settings/CommonWidgets.h"
#include "settings/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace cadro {

NowBar::NowBar(const ThreadStore& store, QWidget* parent)
    : QWidget(parent),
      store_(store),
      stripe_(new Stripe(this)),
      caption_(new QLabel("NOW", this)),
      headline_(new QLabel(this)) {
    setObjectName("nowBar");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->setSpacing(10);
    stripe_->setFixedHeight(scaled(30));
    layout->addWidget(stripe_, 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    caption_->setObjectName("nowCaption");
    caption_->setFont(scaledFont(10, QFont::DemiBold));
    headline_->setObjectName("nowHeadline");
    headline_->setFont(scaledFont(13, QFont::DemiBold));
    headline_->setTextFormat(Qt::PlainText);
    headline_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(caption_);
    column->addWidget(headline_);
    layout->addLayout(column, 1);
    refresh();
}

void NowBar::refresh() {
    const Strand* thread = nowThread(store_);
    tint_ = threadColorOrAccent(thread);
    stripe_->setFill(thread ? std::optional(ThreadTint::stripe(*thread)) : std::nullopt);
    setTextColor(caption_, tint_);
    headlineText_ = QString::fromStdString(nowHeadline(store_));
    headline_->setToolTip(headlineText_);
    elide();
    update();
}

void NowBar::elide() {
    headline_->setText(headline_->fontMetrics().elidedText(headlineText_, Qt::ElideRight,
                                                           std::max(0, headline_->width())));
}

void NowBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    elide();
}

void NowBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor fill = tint_;
    fill.setAlphaF(0.12f);
    painter.fillRect(rect(), fill);
}

}  // namespace cadro
