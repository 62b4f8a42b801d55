#include "settings/WelcomeWindow.h"

#include "gui/BrandColor.h"
#include "gui/StatusIcon.h"
#include "settings/Style.h"
#include "settings/Symbols.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadro {
namespace {

constexpr int kWidth = 460;
constexpr int kPadding = 24;
constexpr qreal kSymbolSize = 18;
constexpr int kSymbolColumn = 24;

// "Welcome to Cadro" with the product name filled with the brand gradient.
// A label underneath, so that assistive technology reads the whole line.
class Heading : public QLabel {
  public:
    explicit Heading(QWidget* parent) : QLabel("Welcome to Cadro", parent) {
        QFont big = font();
        big.setBold(true);
        big.setPointSizeF(big.pointSizeF() * 1.6);
        setFont(big);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const QString lead = "Welcome to ";
        const QString name = "Cadro";
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QFontMetricsF metrics(font());
        const qreal baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QPointF(0, baseline), lead);

        // The brand gradient runs across the word itself.
        const qreal left = metrics.horizontalAdvance(lead);
        const qreal width = metrics.horizontalAdvance(name);
        const QLinearGradient brand = BrandColor::gradient();
        QLinearGradient fill(left + brand.start().x() * width, 0,
                             left + brand.finalStop().x() * width, 0);
        fill.setStops(brand.stops());
        painter.setPen(QPen(QBrush(fill), 1));
        painter.drawText(QPointF(left, baseline), name);
    }
};

// The symbol drawn in black and then filled with the vertical brand gradient.
QPixmap gradientSymbol(const char* name, qreal devicePixelRatio) {
    QPixmap pixmap = Symbols::pixmap(name, kSymbolSize, Qt::black, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    const QLinearGradient brand = BrandColor::verticalGradient();
    QLinearGradient fill(0, brand.start().y() * kSymbolSize, 0,
                         brand.finalStop().y() * kSymbolSize);
    fill.setStops(brand.stops());
    painter.fillRect(QRectF(0, 0, kSymbolSize, kSymbolSize), fill);
    return pixmap;
}

QLabel* wrappingLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace

WelcomeWindow::WelcomeWindow(const LaunchAtLogin& launchAtLogin, const QString& nextShortcut,
                             QWidget* parent)
    : QDialog(parent), launchAtLogin_(launchAtLogin) {
    setWindowTitle("Welcome to Cadro");
    setObjectName("welcomeWindow");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(16);
    layout->addWidget(makeHeading());
    layout->addWidget(
        wrappingLabel("Cadro lives in your system tray and moves you through "
                      "everything you're juggling, one thing at a time.",
                      this));

    auto* points = new QVBoxLayout;
    points->setSpacing(12);
    points->addWidget(makePoint("square.stack.3d.up", "Threads",
                                "Each thing you're juggling is a thread, with the step you're on. "
                                "The tray always shows the current one."));
    points->addWidget(makePoint("arrow.right.circle", "Next  " + nextShortcut,
                                "Done with this stretch? Next moves you to the following thread. "
                                "Give a thread a priority to bring it back more often."));
    points->addWidget(makePoint("sunrise", "Start Day and End Day",
                                "Start Day opens your brain dump, one running page for everything "
                                "on your mind. End Day puts Cadro to sleep."));
    points->addWidget(makePoint("checklist", "To-dos",
                                "One-off tasks drop in between threads now and then, or at a set "
                                "time if you schedule them."));
    layout->addLayout(points);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    QPalette faint = divider->palette();
    faint.setColor(QPalette::WindowText, faint.color(QPalette::Mid));
    divider->setPalette(faint);
    layout->addWidget(divider);
    layout->addWidget(makeLoginLine());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("closeButton");
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* add = new QPushButton("Add Your First Thread", this);
    add->setObjectName("addThreadButton");
    add->setDefault(true);
    // The prominent button: filled with the brand accent, darkened enough for
    // white text to read.
    QPalette prominent = add->palette();
    prominent.setColor(QPalette::Button, BrandColor::accent().darker(135));
    prominent.setColor(QPalette::ButtonText, Qt::white);
    add->setPalette(prominent);
    connect(add, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    buttons->addWidget(add);
    layout->addLayout(buttons);

    QPalette tinted = palette();
    tinted.setColor(QPalette::Highlight, BrandColor::accent());
    setPalette(tinted);
    setFixedWidth(scaled(kWidth));
    resize(width(), heightForWidth(width()));
    add->setFocus();
}

void WelcomeWindow::done(int result) {
    QDialog::done(result);
    if (result == QDialog::Accepted) {
        emit addThreadChosen();
    } else {
        emit closed();
    }
}

QWidget* WelcomeWindow::makeHeading() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto* mark = new QLabel(row);
    mark->setPixmap(StatusIcon::brand(24, devicePixelRatioF()));
    mark->setAccessibleName("Cadro");
    layout->addWidget(mark);
    layout->addWidget(new Heading(row), 1);
    return row;
}

QWidget* WelcomeWindow::makePoint(const char* symbol, const QString& title, const QString& text) {
    auto* point = new QWidget(this);
    auto* row = new QHBoxLayout(point);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    auto* icon = new QLabel(point);
    icon->setPixmap(gradientSymbol(symbol, devicePixelRatioF()));
    icon->setFixedWidth(kSymbolColumn);
    icon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* heading = new QLabel(title, point);
    heading->setObjectName("pointTitle");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    column->addWidget(heading);
    auto* body = wrappingLabel(text, point);
    QFont small = body->font();
    small.setPointSizeF(small.pointSizeF() * 0.92);
    body->setFont(small);
    QPalette secondary = body->palette();
    QColor dimmed = secondary.color(QPalette::WindowText);
    dimmed.setAlphaF(0.7f);
    secondary.setColor(QPalette::WindowText, dimmed);
    body->setPalette(secondary);
    column->addWidget(body);
    row->addLayout(column, 1);
    return point;
}

QWidget* WelcomeWindow::makeLoginLine() {
    if (auto reason = launchAtLogin_.unavailableReason()) {
        // What to do about it; the reason itself is there for those who ask.
        auto* note = wrappingLabel(kInstallToStartAtLogin, this);
        note->setObjectName("loginUnavailable");
        note->setToolTip(QString::fromStdString(*reason));
        return note;
    }
    auto* toggle = new QCheckBox("Start Cadro when I log in", this);
    toggle->setObjectName("startsAtLogin");
    toggle->setChecked(launchAtLogin_.isEnabled());
    // A failure is not reported: the switch keeps what the user chose.
    connect(toggle, &QCheckBox::toggled, this,
            [this](bool on) { (void)(on ? launchAtLogin_.enable() : launchAtLogin_.disable()); });
    return toggle;
}

}  // namespace cadro
