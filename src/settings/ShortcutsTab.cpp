#include "settings/ShortcutsTab.h"

#include "core/actions/Actions.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/shortcuts/KeyNotation.h"
#include "gui/BrandColor.h"
#include "settings/Style.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <utility>

namespace cadro {
namespace {

// The characters of the virtual key codes 0 to 50 on the ANSI layout ('\0'
// where the code is no character key), so that a key read from Qt is stored
// under the same code as everywhere else.
constexpr std::string_view kCharacterKeys{
    "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\0lj'k;\\,/nm.\0\0`", 51};

constexpr std::array<std::pair<int, std::uint32_t>, 26> kOtherKeys{{
    {Qt::Key_Space, 49},     {Qt::Key_Return, 36},    {Qt::Key_Enter, 36}, {Qt::Key_Tab, 48},
    {Qt::Key_Backspace, 51}, {Qt::Key_Delete, 117},   {Qt::Key_Left, 123}, {Qt::Key_Right, 124},
    {Qt::Key_Up, 126},       {Qt::Key_Down, 125},     {Qt::Key_Home, 115}, {Qt::Key_End, 119},
    {Qt::Key_PageUp, 116},   {Qt::Key_PageDown, 121}, {Qt::Key_F1, 122},   {Qt::Key_F2, 120},
    {Qt::Key_F3, 99},        {Qt::Key_F4, 118},       {Qt::Key_F5, 96},    {Qt::Key_F6, 97},
    {Qt::Key_F7, 98},        {Qt::Key_F8, 100},       {Qt::Key_F9, 101},   {Qt::Key_F10, 109},
    {Qt::Key_F11, 103},      {Qt::Key_F12, 111},
}};

struct PressedKey {
    std::uint32_t keyCode;
    std::string characters;
};

std::optional<PressedKey> pressedKey(int qtKey) {
    for (const auto& [key, code] : kOtherKeys) {
        if (key == qtKey)
            return PressedKey{code, ""};
    }
    if (qtKey > 0x20 && qtKey < 0x7F) {
        const char c = char(std::tolower(qtKey));
        const std::size_t code = kCharacterKeys.find(c);
        if (c != '\0' && code != std::string_view::npos)
            return PressedKey{std::uint32_t(code), std::string(1, c)};
    }
    return std::nullopt;
}

bool isModifierKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Control:
        case Qt::Key_Shift:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return true;
        default:
            return false;
    }
}

std::uint32_t modifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint32_t mask = 0;
    if (modifiers & Qt::ControlModifier)
        mask |= Modifier::control;
    if (modifiers & Qt::AltModifier)
        mask |= Modifier::option;
    if (modifiers & Qt::ShiftModifier)
        mask |= Modifier::shift;
    if (modifiers & Qt::MetaModifier)  // Super on X11
        mask |= Modifier::command;
    return mask;
}

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QColor problemColor(const QWidget* widget) {
    return BrandColor::appearanceOf(widget->palette()) == Appearance::dark
               ? QColor(0xFF, 0x7B, 0x7B)
               : QColor(0xB3, 0x26, 0x1E);
}

struct SnoozeChoice {
    const char* label;
    int minutes;
};
constexpr std::array<SnoozeChoice, 6> kSnoozeChoices{{
    {"15 min", 15},
    {"30 min", 30},
    {"1 hr", 60},
    {"2 hr", 120},
    {"4 hr", 240},
    {"Tomorrow (24 hr)", 1440},
}};

}  // namespace

// --- Keycap ----------------------------------------------------------------------------

Keycap::Keycap(const QString& symbol, bool isAccent, QWidget* parent)
    : QWidget(parent), symbol_(symbol), isAccent_(isAccent) {
    setFont(scaledFont(12, QFont::Medium));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize Keycap::sizeHint() const {
    const QFontMetrics metrics(font());
    const int height = std::max(22, metrics.height() + 6);
    return {std::max(height, metrics.horizontalAdvance(symbol_) + 12), height};
}

void Keycap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath key;
    key.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    painter.fillPath(key, palette().color(QPalette::Base));
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.18f);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(key);
    painter.setPen(isAccent_ ? BrandColor::accent() : palette().color(QPalette::Text));
    painter.drawText(rect(), Qt::AlignCenter, symbol_);
}

// --- ShortcutRow -----------------------------------------------------------------------

ShortcutRow::ShortcutRow(HotKeyAction action, ShortcutSettings& shortcuts, QWidget* parent)
    : QFrame(parent),
      action_(action),
      shortcuts_(shortcuts),
      detail_(new QLabel(this)),
      keys_(new QPushButton(this)) {
    setObjectName(QString("shortcutRow-") + qs(rawValue(action)));
    // The secondary colour at 7 %, rounded.
    setStyleSheet(QString("#%1 { background: rgba(128, 128, 128, 18); border-radius: 8px; }")
                      .arg(objectName()));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    setAccessibleName(qs(title(action)));
    auto* name = new QLabel(qs(title(action)), this);
    name->setFont(scaledFont(13, QFont::Medium));
    texts->addWidget(name);
    detail_->setObjectName("shortcutDetail");
    detail_->setFont(scaledFont(11));
    detail_->setWordWrap(true);
    texts->addWidget(detail_);
    layout->addLayout(texts, 1);

    keys_->setObjectName("shortcutKeys");
    keys_->setFlat(true);
    keys_->setCursor(Qt::PointingHandCursor);
    keys_->setStyleSheet(
        "QPushButton { border: none; background: transparent; }"
        "QPushButton:focus { border: 1px solid palette(highlight);"
        " border-radius: 5px; }");
    auto* caps = new QHBoxLayout(keys_);
    caps->setContentsMargins(3, 3, 3, 3);
    caps->setSpacing(3);
    layout->addWidget(keys_, 0, Qt::AlignVCenter);
    connect(keys_, &QPushButton::clicked, this, &ShortcutRow::startRecording);
    refresh();
}

ShortcutRow::~ShortcutRow() {
    endRecording();
}

void ShortcutRow::startRecording() {
    if (shortcuts_.isRecording())
        return;
    problem_.clear();
    isRecording_ = true;
    shortcuts_.setIsRecording(true);  // releases the global shortcuts
    qApp->installEventFilter(this);
    appSwitch_ = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                         [this](Qt::ApplicationState state) {
                             if (state != Qt::ApplicationActive)
                                 stopRecording();
                         });
    refresh();
}

void ShortcutRow::stopRecording() {
    endRecording();
    refresh();
}

void ShortcutRow::endRecording() {
    qApp->removeEventFilter(this);
    disconnect(appSwitch_);
    problem_.clear();
    if (isRecording_) {
        isRecording_ = false;
        shortcuts_.setIsRecording(false);  // grabs the shortcuts again
    }
}

bool ShortcutRow::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Keeps window shortcuts (Ctrl+W, Escape) from acting on the press.
            event->accept();
            return true;
        case QEvent::KeyPress:
            record(static_cast<const QKeyEvent&>(*event));
            return true;
        case QEvent::KeyRelease:
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            stopRecording();
            return false;  // the click still goes where it was aimed
        default:
            return false;
    }
}

void ShortcutRow::record(const QKeyEvent& event) {
    if (event.isAutoRepeat() || isModifierKey(event.key()))
        return;
    if (event.key() == Qt::Key_Escape) {
        stopRecording();
        return;
    }
    const std::optional<PressedKey> key = pressedKey(event.key());
    const std::optional<KeyCombo> combo =
        key ? comboFromKeyEvent(key->keyCode, modifierMask(event.modifiers()), key->characters)
            : std::nullopt;
    if (!key || !combo) {
        problem_ = key ? qs(missingModifierMessage())
                       : QString(
                             "That key cannot be part of a shortcut. Try a letter, a digit or "
                             "a function key.");
        QApplication::beep();
        showDetail();
        return;
    }
    const std::optional<HotKeyAction> user = shortcuts_.action(*combo);
    if (user && *user != action_) {
        problem_ = qs(comboInUseMessage(*combo, *user));
        QApplication::beep();
        showDetail();
        return;
    }
    shortcuts_.setCombo(action_, *combo);
    shortcuts_.save();
    stopRecording();
}

void ShortcutRow::setRefused(bool refused) {
    isRefused_ = refused;
    showDetail();
}

void ShortcutRow::setDesktopTrigger(const QString& trigger) {
    desktopTrigger_ = trigger;
    showDetail();
}

void ShortcutRow::refresh() {
    if (isRecording_ && !shortcuts_.isRecording()) {
        stopRecording();  // ended elsewhere, for example by closing the window
        return;
    }
    QLayout* caps = keys_->layout();
    while (QLayoutItem* item = caps->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const KeyCombo combo = shortcuts_.combo(action_);
    if (isRecording_) {
        auto* prompt = new QLabel("Type a shortcut", keys_);
        prompt->setFont(scaledFont(12, QFont::Medium));
        prompt->setAttribute(Qt::WA_TransparentForMouseEvents);
        setTextColor(prompt, BrandColor::accent());
        caps->addWidget(prompt);
        prompt->show();
        keys_->setToolTip("Press the new shortcut, or Escape to cancel");
        keys_->setAccessibleName("Type a shortcut");
    } else {
        const std::vector<std::string> names = keycaps(combo);
        for (std::size_t i = 0; i < names.size(); ++i) {
            auto* cap = new Keycap(qs(names[i]), i + 1 == names.size(), keys_);
            caps->addWidget(cap);
            cap->show();  // now, so that the size below counts it
        }
        keys_->setToolTip("Click to change");
        keys_->setAccessibleName(qs(comboText(combo)));
    }
    keys_->setAccessibleDescription(qs(title(action_)));
    keys_->setFixedSize(caps->sizeHint());
    showDetail();
}

void ShortcutRow::showDetail() {
    QString text = qs(helpText(action_));
    if (!desktopTrigger_.isEmpty())
        text += " Your desktop runs it with " + desktopTrigger_ + ".";
    QColor color = secondaryTextColor(this);
    if (!problem_.isEmpty() || isRefused_) {
        text = !problem_.isEmpty() ? problem_
                                   : "Another program already uses this shortcut, so it does "
                                     "nothing here. Click its keys to choose another.";
        color = problemColor(this);
    }
    detail_->setText(text);
    setTextColor(detail_, color);
}

// --- ShortcutsTab ----------------------------------------------------------------------

ShortcutsTab::ShortcutsTab(ShortcutSettings& shortcuts, ThreadStore& store, QWidget* parent)
    : QWidget(parent),
      shortcuts_(shortcuts),
      store_(store),
      reset_(new QPushButton("Reset to Defaults", this)),
      snooze_(new QComboBox(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(8);

    auto* header = new QHBoxLayout;
    auto* headline = new QLabel("Keyboard Shortcuts", this);
    headline->setFont(scaledFont(14, QFont::DemiBold));
    header->addWidget(headline, 1);
    reset_->setObjectName("resetShortcutsButton");
    connect(reset_, &QPushButton::clicked, this, [this] { shortcuts_.resetAll(); });
    header->addWidget(reset_);
    layout->addLayout(header);

    for (HotKeyAction action : kAllHotKeyActions) {
        rows_.push_back(new ShortcutRow(action, shortcuts_, this));
        layout->addWidget(rows_.back());
    }
    for (const QString& note :
         {QString("Click a shortcut's keys to change it. Shortcuts work from any app, even when "
                  "Cadro isn't in front."),
          qs(editingKeysNote())}) {
        auto* label = new QLabel(note, this);
        label->setWordWrap(true);
        label->setFont(scaledFont(11));
        setTextColor(label, secondaryTextColor(this));
        layout->addWidget(label);
    }

    layout->addSpacing(6);
    layout->addWidget(divider(this));
    auto* snoozeLine = new QHBoxLayout;
    auto* snoozeLabel = new QLabel("Default snooze duration", this);
    snoozeLabel->setBuddy(snooze_);
    snoozeLine->addWidget(snoozeLabel);
    snooze_->setObjectName("defaultSnoozePicker");
    snooze_->setAccessibleName("Default snooze duration");
    snooze_->setFixedWidth(scaled(150));
    snoozeLine->addWidget(snooze_);
    snoozeLine->addStretch(1);
    layout->addLayout(snoozeLine);
    layout->addStretch(1);
    for (const SnoozeChoice& choice : kSnoozeChoices)
        snooze_->addItem(choice.label, choice.minutes);
    connect(snooze_, &QComboBox::activated, this, [this](int index) {
        const int minutes = snooze_->itemData(index).toInt();
        actions::setDefaultSnoozeMinutes(store_, std::max(1, minutes));
    });
    refresh();
}

void ShortcutsTab::refresh() {
    reset_->setEnabled(!shortcuts_.isAllDefault());
    for (ShortcutRow* row : rows_)
        row->refresh();

    // A stored length that is none of the choices shows as one more entry.
    const auto current = store_.state().defaultSnoozeMinutes;
    while (snooze_->count() > int(kSnoozeChoices.size()))
        snooze_->removeItem(snooze_->count() - 1);
    if (snooze_->findData(int(current)) < 0)
        snooze_->addItem(QString::fromStdString(durationLabel(current)), int(current));
    snooze_->setCurrentIndex(snooze_->findData(int(current)));
}

void ShortcutsTab::setRefused(const std::set<HotKeyAction>& refused) {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i]->setRefused(refused.count(kAllHotKeyActions[i]) > 0);
}

void ShortcutsTab::addSection(QWidget* section) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    // Before the stretch that keeps everything at the top.
    layout->insertWidget(layout->count() - 1, divider(this));
    layout->insertWidget(layout->count() - 1, section);
}

void ShortcutsTab::setDesktopTriggers(const std::map<HotKeyAction, QString>& triggers) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        auto found = triggers.find(kAllHotKeyActions[i]);
        rows_[i]->setDesktopTrigger(found == triggers.end() ? QString() : found->second);
    }
}

ShortcutRow* ShortcutsTab::row(HotKeyAction action) const {
    return rows_[std::size_t(hotKeyId(action) - 1)];
}

}  // namespace cadro
