#include "settings/TodoRow.h"

#include "core/actions/Actions.h"
#include "gui/BrandColor.h"
#include "settings/CommonWidgets.h"
#include "settings/Style.h"
#include "settings/Symbols.h"

#include <QActionGroup>
#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

namespace cadro {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QToolButton* textButton(const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFont(scaledFont(11));
    button->setIconSize(QSize(11, 11));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// A borderless button showing `label` beside `symbol` in the accent colour,
// or, without a label, the symbol alone in 18 × 18 in the secondary colour.
void showAsLabelOrSymbol(QToolButton* button, const std::optional<std::string>& label,
                         std::string_view symbol) {
    const QColor ink = label ? BrandColor::accent() : secondaryTextColor(button);
    button->setIcon(Symbols::icon(symbol, label ? 11 : 16, ink));
    button->setIconSize(label ? QSize(11, 11) : QSize(16, 16));
    button->setText(label ? qs(*label) : QString());
    button->setToolButtonStyle(label ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    if (label) {
        button->setMinimumSize(0, 0);
        button->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        button->setFixedSize(18, 18);
    }
    button->setStyleSheet(
        QString("QToolButton { color: %1; border: none; padding: 0; background: transparent; }")
            .arg(ink.name()));
}

}  // namespace

TodoRow::TodoRow(const Context& context, const Todo& todo, QWidget* parent)
    : QWidget(parent), context_(context), todo_(todo) {
    setObjectName(qs("todoRow-" + todo.id.toString()));
    setAttribute(Qt::WA_Hover);
    build();
    setTodo(todo);
}

void TodoRow::build() {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(8, 6, 8, 6);
    line->setSpacing(8);
    const Uuid id = todo_.id;
    ThreadStore* store = context_.store;

    title_ = new TitleField(this);
    title_->setObjectName("titleField");
    title_->setAccessibleName("To-do");
    title_->setPlaceholderText("To-do");
    title_->setFont(scaledFont(12));
    connect(title_, &QLineEdit::textEdited, this, [this, store, id](const QString& text) {
        todo_.title = text.toStdString();
        TodoRevision revision;
        revision.title = todo_.title;
        actions::reviseTodo(*store, id, revision, Save::soon);
        if (context_.typed)
            context_.typed();
    });
    connect(title_, &QLineEdit::editingFinished, this, [store] { store->save(); });
    line->addWidget(title_, 1);

    nowBadge_ = new QLabel("Now", this);
    nowBadge_->setObjectName("nowBadge");
    nowBadge_->setFont(scaledFont(11, QFont::DemiBold));
    setTextColor(nowBadge_, BrandColor::accent());
    line->addWidget(nowBadge_);

    until_ = new QWidget(this);
    until_->setObjectName("untilLabel");
    auto* untilLayout = new QHBoxLayout(until_);
    untilLayout->setContentsMargins(0, 0, 0, 0);
    untilLayout->setSpacing(3);
    auto* moon = new QLabel(until_);
    moon->setPixmap(Symbols::pixmap("moon.zzz", 11, secondaryTextColor(this), 2.0));
    untilText_ = new QLabel(until_);
    untilText_->setObjectName("untilText");
    untilText_->setFont(scaledFont(11));
    setTextColor(untilText_, secondaryTextColor(this));
    untilLayout->addWidget(moon);
    untilLayout->addWidget(untilText_);
    line->addWidget(until_);

    schedule_ = textButton("scheduleButton", this);
    connect(schedule_, &QToolButton::clicked, this, [this, id] {
        if (context_.onSchedule)
            context_.onSchedule(id);
    });
    line->addWidget(schedule_);

    estimate_ = textButton("estimateButton", this);
    estimate_->setToolTip("Estimate (shorter to-dos come up more often)");
    connect(estimate_, &QToolButton::clicked, this, &TodoRow::chooseEstimate);
    line->addWidget(estimate_);

    auto* actions = new QWidget(this);
    actions->setObjectName("rowActions");
    auto* actionsLayout = new QHBoxLayout(actions);
    actionsLayout->setContentsMargins(0, 0, 0, 0);
    actionsLayout->setSpacing(4);
    auto* snooze = new IconButton("moon.zzz", "Snooze\u2026", actions);
    snooze->setObjectName("snoozeButton");
    connect(snooze, &QToolButton::clicked, this, [this, id] {
        if (context_.onSnooze)
            context_.onSnooze(id);
    });
    auto* remove = new IconButton("trash", "Remove", actions);
    remove->setObjectName("removeButton");
    connect(remove, &QToolButton::clicked, this, [store, id] { actions::remove(*store, id); });
    actionsLayout->addWidget(snooze);
    actionsLayout->addWidget(remove);
    actionsOpacity_ = new QGraphicsOpacityEffect(actions);
    actionsOpacity_->setOpacity(0);
    actions->setGraphicsEffect(actionsOpacity_);
    line->addWidget(actions);
    // Keyboard users see the actions while focus is anywhere in the row.
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { setHovered(underMouse() || isAncestorOf(now)); });
}

void TodoRow::setTodo(const Todo& todo) {
    todo_ = todo;
    text_ = describeTodoRow(*context_.store, todo, *context_.calendar, context_.clock->now());
    if (!title_->hasFocus() && title_->text() != qs(text_.title))
        title_->setText(qs(text_.title));
    setAccessibleName(qs(text_.title));
    setAccessibleDescription(qs(text_.description));

    nowBadge_->setVisible(text_.isUp);
    until_->setVisible(text_.until.has_value());
    untilText_->setText(qs(text_.until.value_or("")));

    showAsLabelOrSymbol(schedule_, text_.schedule, "clock");
    schedule_->setToolTip(text_.schedule ? "Change schedule" : "Schedule");
    schedule_->setAccessibleName(text_.schedule ? "Change schedule, " + qs(*text_.schedule)
                                                : QString("Schedule"));

    showAsLabelOrSymbol(estimate_, text_.estimate, "timer");
    estimate_->setAccessibleName(text_.estimate ? "Estimate, " + qs(*text_.estimate)
                                                : QString("Estimate"));
    update();
}

void TodoRow::chooseEstimate() {
    auto* menu = new QMenu(this);
    menu->setObjectName("estimateMenu");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto* group = new QActionGroup(menu);
    auto offer = [&](const QString& label, std::optional<std::int64_t> minutes) {
        QAction* action = menu->addAction(label);
        action->setCheckable(true);
        action->setChecked(todo_.estimatedMinutes == minutes);
        group->addAction(action);
        const Uuid id = todo_.id;
        ThreadStore* store = context_.store;
        connect(action, &QAction::triggered, this, [store, id, minutes] {
            TodoRevision revision;
            revision.minutes.emplace(minutes);
            actions::reviseTodo(*store, id, revision);
        });
    };
    for (const Estimate& choice : kEstimates)
        offer(QString::fromUtf8(choice.label.data(), int(choice.label.size())), choice.minutes);
    menu->addSeparator();
    offer("No estimate", std::nullopt);
    estimateMenu_ = menu;
    menu->popup(estimate_->mapToGlobal(QPoint(0, estimate_->height())));
}

void TodoRow::paintEvent(QPaintEvent*) {
    if (!text_.isUp)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = BrandColor::accent();
    fill.setAlphaF(0.12f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0, 1, 0, -1), 8, 8);
}

void TodoRow::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QWidget::enterEvent(event);
}

void TodoRow::leaveEvent(QEvent* event) {
    setHovered(isAncestorOf(QApplication::focusWidget()));
    QWidget::leaveEvent(event);
}

void TodoRow::setHovered(bool hovered) {
    actionsOpacity_->setOpacity(hovered ? 1.0 : 0.0);
}

}  // namespace cadro
