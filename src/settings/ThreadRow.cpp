#include "settings/ThreadRow.h"

#include "core/actions/Actions.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/settings/SettingsText.h"
#include "core/settings/ThreadTint.h"
#include "gui/BrandColor.h"
#include "gui/OneLineField.h"
#include "gui/StatusIcon.h"
#include "settings/CommonWidgets.h"
#include "settings/Style.h"
#include "settings/Symbols.h"
#include "settings/ThreadFields.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace cadro {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QLineEdit* borderlessField(const QString& placeholder, const QFont& font, QWidget* parent) {
    auto* field = new TitleField(parent);
    field->setPlaceholderText(placeholder);
    field->setFont(font);
    makeOneLine(field);
    return field;
}

}  // namespace

ThreadRow::ThreadRow(const Context& context, const Strand& thread, ThreadKind kind, QWidget* parent)
    : QWidget(parent), context_(context), thread_(thread), kind_(kind) {
    setObjectName(qs("threadRow-" + thread.id.toString()));
    setAttribute(Qt::WA_Hover);
    build();
    setThread(thread);
}

void ThreadRow::build() {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(4, 6, 4, 6);
    outer->setSpacing(10);
    stripe_ = new Stripe(this);
    outer->addWidget(stripe_);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    outer->addLayout(column, 1);

    // First line: mark, title, badges, actions.
    auto* first = new QHBoxLayout;
    first->setSpacing(6);
    if (thread_.isHygiene) {
        auto* mark = new QLabel(this);
        mark->setObjectName("brandMark");
        mark->setPixmap(StatusIcon::brand(13, 2.0));
        first->addWidget(mark);
    }
    title_ = borderlessField("Title", scaledFont(13, QFont::DemiBold), this);
    title_->setObjectName("titleField");
    first->addWidget(title_, 1);

    nowBadge_ = new QLabel("Now", this);
    nowBadge_->setObjectName("nowBadge");
    nowBadge_->setFont(scaledFont(11, QFont::DemiBold));
    first->addWidget(nowBadge_);

    wakes_ = new QWidget(this);
    wakes_->setObjectName("wakesLabel");
    auto* wakesLayout = new QHBoxLayout(wakes_);
    wakesLayout->setContentsMargins(0, 0, 0, 0);
    wakesLayout->setSpacing(3);
    auto* alarm = new QLabel(wakes_);
    alarm->setPixmap(Symbols::pixmap("alarm", 11, secondaryTextColor(this), 2.0));
    wakesText_ = new QLabel(wakes_);
    wakesText_->setObjectName("wakesText");
    wakesText_->setFont(scaledFont(11));
    setTextColor(wakesText_, secondaryTextColor(this));
    wakesLayout->addWidget(alarm);
    wakesLayout->addWidget(wakesText_);
    first->addWidget(wakes_);

    actions_ = new QWidget(this);
    actions_->setObjectName("rowActions");
    auto* actionsLayout = new QHBoxLayout(actions_);
    actionsLayout->setContentsMargins(0, 0, 0, 0);
    actionsLayout->setSpacing(4);
    const Uuid id = thread_.id;
    ThreadStore* store = context_.store;
    auto addAction = [&](const char* name, std::string_view symbol, const QString& help,
                         std::function<void()> run) {
        auto* button = new IconButton(symbol, help, actions_);
        button->setObjectName(name);
        connect(button, &QToolButton::clicked, this, std::move(run));
        actionsLayout->addWidget(button);
    };
    switch (kind_) {
        case ThreadKind::active:
            addAction("snoozeButton", "moon.zzz", "Snooze\u2026", [this, id] {
                if (context_.onSnooze)
                    context_.onSnooze(id);
            });
            addAction("parkButton", "pause.circle", "Park",
                      [store, id] { actions::park(*store, id); });
            break;
        case ThreadKind::parked:
            addAction("unparkButton", "play.circle", "Unpark",
                      [store, id] { actions::unpark(*store, id); });
            break;
        case ThreadKind::snoozed:
            addAction("wakeButton", "sun.max", "Wake now",
                      [store, id] { actions::wake(*store, id); });
            break;
    }
    if (!thread_.isHygiene)
        addAction("removeButton", "trash", "Remove", [store, id] { actions::remove(*store, id); });
    actionsOpacity_ = new QGraphicsOpacityEffect(actions_);
    actionsOpacity_->setOpacity(0);
    actions_->setGraphicsEffect(actionsOpacity_);
    first->addWidget(actions_);
    column->addLayout(first);

    // The step.
    step_ = borderlessField("Current step", scaledFont(12), this);
    step_->setObjectName("stepField");
    QPalette stepPalette = step_->palette();
    stepPalette.setColor(QPalette::Text, secondaryTextColor(this));
    step_->setPalette(stepPalette);
    column->addWidget(step_);

    // The plan.
    nextSteps_ = new QToolButton(this);
    nextSteps_->setObjectName("nextStepsButton");
    nextSteps_->setAutoRaise(true);
    nextSteps_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    nextSteps_->setFont(scaledFont(12));
    nextSteps_->setCursor(Qt::PointingHandCursor);
    nextSteps_->setIconSize(QSize(12, 12));
    connect(nextSteps_, &QToolButton::clicked, this, [this, id] {
        if (context_.onEditSteps)
            context_.onEditSteps(id);
    });
    column->addWidget(nextSteps_, 0, Qt::AlignLeft);

    // Priority and colour.
    auto* controls = new QHBoxLayout;
    controls->setSpacing(16);
    priority_ = new PriorityPicker(this);
    color_ = new ColorControl(this);
    controls->addWidget(priority_);
    controls->addWidget(color_);
    controls->addStretch(1);
    column->addLayout(controls);

    // Every edit goes to the store at once, with the rest of the thread as
    // drawn; typing is written within a second, and when the field is left.
    auto typed = [this, store, id] {
        actions::reviseThread(*store, id, {.title = thread_.title, .step = thread_.step},
                              Save::soon);
        if (context_.typed)
            context_.typed();
    };
    connect(title_, &QLineEdit::textEdited, this, [this, typed](const QString& text) {
        thread_.title = text.toStdString();  // drawn now, before the redraw
        typed();
    });
    connect(step_, &QLineEdit::textEdited, this, [this, typed](const QString& text) {
        thread_.step = text.toStdString();
        typed();
    });
    for (QLineEdit* field : {static_cast<QLineEdit*>(title_), static_cast<QLineEdit*>(step_)})
        connect(field, &QLineEdit::editingFinished, this, [store] { store->save(); });
    connect(priority_, &PriorityPicker::toggled, this, [this, store, id](bool on) {
        ThreadRevision revision;
        revision.priority.emplace(on ? std::optional(thread_.priority.value_or(1)) : std::nullopt);
        actions::reviseThread(*store, id, revision);
    });
    connect(priority_, &PriorityPicker::priorityChanged, this, [store, id](int value) {
        ThreadRevision revision;
        revision.priority.emplace(value);
        actions::reviseThread(*store, id, revision);
    });
    connect(color_, &ColorControl::toggled, this, [this, store, id](bool on) {
        ThreadRevision revision;
        revision.colorHex.emplace(
            on ? std::optional(thread_.colorHex.value_or(std::string(kDefaultThreadHex)))
               : std::nullopt);
        actions::reviseThread(*store, id, revision);
    });
    connect(color_, &ColorControl::colorPicked, this, [store, id](const QColor& picked) {
        ThreadRevision revision;
        revision.colorHex.emplace(hexOf(picked));
        actions::reviseThread(*store, id, revision);
    });
}

void ThreadRow::setThread(const Strand& thread) {
    thread_ = thread;
    isCurrent_ = isCurrentRow(*context_.store, thread, kind_);
    const QColor tint = threadColorOrAccent(&thread);

    stripe_->setFill(ThreadTint::stripe(thread));
    if (!title_->hasFocus() && title_->text() != qs(thread.title))
        title_->setText(qs(thread.title));
    if (!step_->hasFocus() && step_->text() != qs(thread.step))
        step_->setText(qs(thread.step));

    nowBadge_->setVisible(isCurrent_);
    setTextColor(nowBadge_, tint);

    const bool wakes = kind_ == ThreadKind::snoozed && thread.snoozedUntil;
    wakes_->setVisible(wakes);
    if (wakes && context_.calendar && context_.clock) {
        wakesText_->setText("Wakes " + qs(formatWakeTime(*thread.snoozedUntil, *context_.calendar,
                                                         context_.clock->now())));
    }

    nextSteps_->setText(qs(nextStepsSummary(thread.nextSteps.size())));
    nextSteps_->setIcon(Symbols::icon("list.bullet", 12, tint));
    nextSteps_->setStyleSheet(
        QString("QToolButton { color: %1; border: none; padding: 0; }").arg(tint.name()));

    priority_->setValues(thread.priority.has_value(), int(thread.priority.value_or(1)));
    color_->setValues(thread.colorHex.has_value(),
                      colorFromHex(thread.colorHex).value_or(systemBlue()));
    update();
}

void ThreadRow::paintEvent(QPaintEvent*) {
    if (!isCurrent_)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = threadColorOrAccent(&thread_);
    fill.setAlphaF(0.12f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0, 1, 0, -1), 8, 8);
}

void ThreadRow::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QWidget::enterEvent(event);
}

void ThreadRow::leaveEvent(QEvent* event) {
    setHovered(false);
    QWidget::leaveEvent(event);
}

void ThreadRow::setHovered(bool hovered) {
    actionsOpacity_->setOpacity(hovered ? 1.0 : 0.0);
}

}  // namespace cadro
