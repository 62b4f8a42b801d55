#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/store/ThreadStore.h"
#endif

#include <QWidget>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace cadro {

/// The paper-like page the brain dump is written on: a plain text editor on
/// a rounded sheet of the brand paper colour, with a placeholder while empty.
class BrainDumpPage : public QWidget {
  public:
    explicit BrainDumpPage(QWidget* parent = nullptr);
    QPlainTextEdit* editor() const { return editor_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void applyPalette();
    QPlainTextEdit* editor_;
};

/// The Brain Dump tab: where the text lives (the app or a linked Markdown
/// file), the page, and a note. Every edit goes to the store, and with it to
/// the linked file; the file is read again whenever the tab comes into view.
class BrainDumpTab : public QWidget {
    Q_OBJECT
  public:
    explicit BrainDumpTab(ThreadStore& store, QWidget* parent = nullptr);

    /// Redraws from the store; the page keeps its cursor when its text is
    /// already the store's.
    void refresh();
    /// Takes the linked file's text when another editor changed it.
    void reloadFromFile();
    /// Links `path`, as the file chooser does; false (with a note on the tab)
    /// when the file is not text and was left alone.
    bool linkFile(const QString& path);
    BrainDumpPage* page() const { return page_; }
    /// Called after a keystroke's edit was kept for a save soon after.
    void setTyped(std::function<void()> typed) { typed_ = std::move(typed); }
    /// Called after the store was saved: shows what became of the typing
    /// when the linked file did not take it.
    void saved();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void chooseFile();
    void pageEdited();
    void showNotice(const QString& text);

    ThreadStore& store_;
    QLabel* source_;
    QPushButton* linkButton_;
    QPushButton* unlinkButton_;
    QLabel* notice_;
    BrainDumpPage* page_;
    // The store's text as last put on the page.
    std::string shownStoreText_;
    bool showingStoreText_ = false;
    bool typedSinceSave_ = false;
    std::function<void()> typed_;
};

}  // namespace cadro
