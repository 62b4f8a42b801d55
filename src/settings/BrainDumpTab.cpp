#include "settings/BrainDumpTab.h"

#include "core/actions/Actions.h"
#include "gui/BrandColor.h"
#include "settings/CommonWidgets.h"
#include "settings/Style.h"
#include "settings/Symbols.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace cadro {
namespace {

constexpr const char* kFooter =
    "Your brain dump carries over from day to day, and Cadro never erases anything in it. Clear "
    "lines yourself as you handle them. Link a Markdown file to keep the brain dump in that file, "
    "so you can also edit it in Obsidian or any other editor. Start Day opens it every morning.";

QString fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

}  // namespace

// --- BrainDumpPage ---------------------------------------------------------------------

BrainDumpPage::BrainDumpPage(QWidget* parent) : QWidget(parent), editor_(new QPlainTextEdit(this)) {
    auto* layout = new QVBoxLayout(this);
    // 12 around the sheet, 14 inside it.
    layout->setContentsMargins(26, 26, 26, 26);
    layout->addWidget(editor_);
    editor_->setObjectName("brainDumpEditor");
    editor_->setAccessibleName("Brain dump");
    editor_->setPlaceholderText("Everything on your mind, one line each.");
    editor_->setFrameShape(QFrame::NoFrame);
    editor_->setFont(scaledFont(14));
    editor_->setTabChangesFocus(true);
    editor_->viewport()->setAutoFillBackground(false);
    editor_->setStyleSheet("QPlainTextEdit { background: transparent; }");
    applyPalette();
}

void BrainDumpPage::applyPalette() {
    // Dark text on light paper and light text on dark paper, whatever the
    // window's own colours.
    const bool dark = BrandColor::appearanceOf(palette()) == Appearance::dark;
    QPalette p = editor_->palette();
    const QColor ink = dark ? QColor(0xEE, 0xEA, 0xE4) : QColor(0x22, 0x20, 0x1E);
    p.setColor(QPalette::Text, ink);
    QColor placeholder = ink;
    placeholder.setAlphaF(0.45f);
    p.setColor(QPalette::PlaceholderText, placeholder);
    editor_->setPalette(p);
}

void BrainDumpPage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        applyPalette();
    QWidget::changeEvent(event);
}

void BrainDumpPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet = QRectF(rect()).adjusted(12.5, 12.5, -12.5, -12.5);
    QPainterPath path;
    path.addRoundedRect(sheet, 10, 10);
    painter.fillPath(path, BrandColor::paper(BrandColor::appearanceOf(palette())));
    QColor outline = palette().color(QPalette::WindowText);
    outline.setAlphaF(0.15f);
    painter.setPen(QPen(outline, 1));
    painter.drawPath(path);
}

// --- BrainDumpTab ----------------------------------------------------------------------

BrainDumpTab::BrainDumpTab(ThreadStore& store, QWidget* parent)
    : QWidget(parent),
      store_(store),
      source_(new QLabel(this)),
      linkButton_(new QPushButton("Link file\u2026", this)),
      unlinkButton_(new QPushButton("Unlink", this)),
      notice_(new QLabel(this)),
      page_(new BrainDumpPage(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* line = new QHBoxLayout;
    line->setContentsMargins(10, 8, 10, 8);
    auto* icon = new QLabel(this);
    icon->setPixmap(Symbols::pixmap("doc.text", 14, secondaryTextColor(this), devicePixelRatioF()));
    line->addWidget(icon);
    line->addSpacing(4);
    source_->setObjectName("brainDumpSource");
    source_->setFont(scaledFont(12));
    source_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line->addWidget(source_, 1);
    linkButton_->setObjectName("linkFileButton");
    unlinkButton_->setObjectName("unlinkButton");
    line->addWidget(linkButton_);
    line->addWidget(unlinkButton_);
    layout->addLayout(line);

    notice_->setObjectName("brainDumpNotice");
    notice_->setWordWrap(true);
    notice_->setFont(scaledFont(12));
    notice_->setContentsMargins(10, 0, 10, 8);
    notice_->hide();
    layout->addWidget(notice_);

    // Where everything lives, for someone who keeps it in a synced folder.
    auto* dataFolder = new QLabel(
        "Your data is in " + QString::fromStdString(store_.file().path().parent_path().string()) +
            "  \u2014  move it with: cadro move-data FOLDER",
        this);
    dataFolder->setObjectName("dataFolder");
    dataFolder->setFont(scaledFont(11));
    dataFolder->setWordWrap(true);
    dataFolder->setContentsMargins(10, 0, 10, 8);
    dataFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    dataFolder->setAccessibleName(dataFolder->text());
    layout->addWidget(dataFolder);

    layout->addWidget(divider(this));
    layout->addWidget(page_, 1);
    layout->addWidget(new FooterNote(kFooter, this));

    connect(linkButton_, &QPushButton::clicked, this, &BrainDumpTab::chooseFile);
    connect(unlinkButton_, &QPushButton::clicked, this, [this] {
        notice_->hide();
        actions::unlinkBrainDumpFile(store_);
        refresh();
    });
    connect(page_->editor(), &QPlainTextEdit::textChanged, this, &BrainDumpTab::pageEdited);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old == page_->editor()) {
            store_.save();  // leaving the page writes what was typed
            saved();
        }
    });
    refresh();
}

void BrainDumpTab::refresh() {
    const std::optional<std::string>& path = store_.state().brainDumpFilePath;
    if (path) {
        source_->setText(fileName(*path) + "  \u2014  " + QString::fromStdString(*path));
        source_->setToolTip(QString::fromStdString(*path));
    } else {
        source_->setText("Stored in the app");
        source_->setToolTip({});
    }
    source_->setAccessibleName(source_->text());
    linkButton_->setVisible(!path);
    unlinkButton_->setVisible(bool(path));

    // Compared with what was last put on the page, not with the page's text:
    // the editor turns some characters into others (no-break spaces, CR LF).
    if (store_.state().brainDump == shownStoreText_)
        return;
    // Typing gives way only to another editor's text, and the store says
    // where the typing went then.
    if (std::exchange(typedSinceSave_, false) && !store_.brainDumpFileProblem().empty())
        showNotice(QString::fromStdString(store_.brainDumpFileProblem()) + ".");
    shownStoreText_ = store_.state().brainDump;
    const QString text = QString::fromStdString(shownStoreText_);
    QPlainTextEdit* editor = page_->editor();
    showingStoreText_ = true;
    const int position = editor->textCursor().position();
    editor->setPlainText(text);
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(std::min(position, int(editor->document()->characterCount() - 1)));
    editor->setTextCursor(cursor);
    showingStoreText_ = false;
}

void BrainDumpTab::reloadFromFile() {
    store_.refreshBrainDump();
    saved();
    refresh();
}

bool BrainDumpTab::linkFile(const QString& path) {
    notice_->hide();
    const bool linked =
        actions::linkBrainDumpFile(store_, path.toStdString()).outcome != Outcome::refused;
    if (!linked) {
        showNotice(QString::fromStdString(store_.brainDumpFileProblem()) +
                   ", so it was not linked. Nothing in it was changed.");
    }
    refresh();
    return linked;
}

void BrainDumpTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reloadFromFile();
}

void BrainDumpTab::chooseFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path =
        QFileDialog::getOpenFileName(this, "Choose the Markdown file where your brain dump lives.",
                                     folder, "Markdown and text files (*.md *.markdown *.txt)");
    if (!path.isEmpty())
        linkFile(path);
}

void BrainDumpTab::pageEdited() {
    if (showingStoreText_)
        return;
    shownStoreText_ = page_->editor()->toPlainText().toStdString();
    typedSinceSave_ = true;
    actions::editBrainDump(store_, shownStoreText_, Save::soon);
    if (typed_)
        typed_();
}

void BrainDumpTab::saved() {
    if (!std::exchange(typedSinceSave_, false))
        return;
    if (store_.state().brainDump != shownStoreText_) {
        typedSinceSave_ = true;  // for refresh() to say where the typing went
        refresh();
    } else if (!store_.brainDumpFileProblem().empty() && store_.state().brainDumpFilePath) {
        showNotice(QString::fromStdString(store_.brainDumpFileProblem()) +
                   ". Your text is kept in Cadro only.");
    }
}

void BrainDumpTab::showNotice(const QString& text) {
    notice_->setText(text);
    notice_->show();
}

}  // namespace cadro
