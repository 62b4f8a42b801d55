#include "app/TextPrompt.h"

#include "gui/OneLineField.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace cadro {

namespace {

constexpr int kContentWidth = 320;
constexpr int kMargin = 20;
constexpr int kColumnSpacing = 12;
constexpr int kButtonSpacing = 8;
constexpr int kMessagePointSize = 12;
// The closest thing to a secondary label colour: the text colour, half faded.
constexpr float kSecondaryAlpha = 0.55f;

}  // namespace

TextPrompt::TextPrompt(const QString& title, const QString& message, const QString& defaultValue,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      message_(new QLabel(message, this)),
      field_(new QLineEdit(defaultValue, this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName(QStringLiteral("textPrompt"));
    setWindowTitle(title);
    setModal(true);
    resize(kContentWidth + 2 * kMargin, 120);

    makeOneLine(field_);
    message_->setObjectName(QStringLiteral("message"));
    message_->setWordWrap(true);
    message_->setFixedWidth(kContentWidth);
    QFont font = message_->font();
    font.setPointSize(kMessagePointSize);
    message_->setFont(font);
    QPalette palette = message_->palette();
    QColor secondary = palette.color(QPalette::WindowText);
    secondary.setAlphaF(kSecondaryAlpha);
    palette.setColor(QPalette::WindowText, secondary);
    message_->setPalette(palette);

    field_->setObjectName(QStringLiteral("field"));
    field_->setFixedWidth(kContentWidth);

    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setAutoDefault(false);
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setDefault(true);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttonRow = new QWidget(this);
    buttonRow->setFixedWidth(kContentWidth);
    auto* buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(kButtonSpacing);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(ok_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    column->setSpacing(kColumnSpacing);
    column->addWidget(message_, 0, Qt::AlignLeading);
    column->addWidget(field_, 0, Qt::AlignLeading);
    column->addWidget(buttonRow, 0, Qt::AlignLeading);
    // The window takes the size of its content and keeps it: a long message
    // makes it taller, and the user cannot resize it.
    column->setSizeConstraint(QLayout::SetFixedSize);
}

std::optional<QString> TextPrompt::present() {
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
    field_->setFocus(Qt::OtherFocusReason);
    field_->selectAll();
    const int response = exec();
    hide();
    if (response != QDialog::Accepted) {
        return std::nullopt;
    }
    return field_->text();
}

}  // namespace cadro
