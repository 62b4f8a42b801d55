#include "SettingsFixture.h"

#include "settings/BrainDumpTab.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace cadro::testing {
namespace {

class BrainDumpTabTest : public SettingsFixture {
  protected:
    BrainDumpTabTest() { ui.setSelectedTab(SettingsTab::brainDump); }
    BrainDumpTab* tab() { return window.findChild<BrainDumpTab*>("brainDumpTab"); }
    QPlainTextEdit* editor() { return tab()->page()->editor(); }
    QString source() { return in<QLabel>(tab(), "brainDumpSource")->text(); }
    QLabel* notice() { return in<QLabel>(tab(), "brainDumpNotice"); }
    std::filesystem::path notes = h.folder() / "notes.md";
};

TEST_F(BrainDumpTabTest, ALinkedTextFileIsEditedBothWaysNeverOverAnOutsideEditAndKeptOnUnlinking) {
    // A file that is not text is refused and left alone.
    const std::string bytes = "\x89PNG\r\n\x1A\n\xFF\xFE";
    writeFile(notes, bytes);
    EXPECT_FALSE(tab()->linkFile(QString::fromStdString(notes.string())));
    EXPECT_EQ(readFile(notes), bytes);
    EXPECT_FALSE(h->state().brainDumpFilePath);
    EXPECT_EQ(source(), "Stored in the app");
    EXPECT_TRUE(notice()->isVisibleTo(tab()));

    writeFile(notes, "- one\n");
    ASSERT_TRUE(tab()->linkFile(QString::fromStdString(notes.string())));
    EXPECT_EQ(editor()->toPlainText(), "- one");  // the file's final line break is the file's
    EXPECT_TRUE(source().startsWith("notes.md"));
    settle();  // the window comes to the front, which reads the file again
    editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(editor(), Qt::Key_Return);
    QTest::keyClicks(editor(), "- two");
    settle();
    EXPECT_EQ(h->state().brainDump, "- one\n- two");
    EXPECT_EQ(readFile(notes), "- one\n");  // typing is written a moment later
    EXPECT_TRUE(QTest::qWaitFor([&] { return readFile(notes) == "- one\n- two\n"; }, 2000));

    // An outside edit shows up when the tab appears again.
    writeFile(notes, "- one\n- from another editor\n");
    ui.setSelectedTab(SettingsTab::active);
    ui.setSelectedTab(SettingsTab::brainDump);
    settle();
    EXPECT_EQ(editor()->toPlainText(), "- one\n- from another editor");

    // One while the tab stays in view is kept, and what was typed goes beside it.
    writeFile(notes, "- from the phone\n");
    editor()->moveCursor(QTextCursor::End);
    editor()->insertPlainText("\n- typed here");  // one edit, as a paste
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return editor()->toPlainText() == "- from the phone"; }, 2000));
    EXPECT_EQ(readFile(h.folder() / "notes (conflict from Cadro).md"),
              "- one\n- from another editor\n- typed here\n");
    EXPECT_TRUE(notice()->text().contains("notes (conflict from Cadro).md"));

    in<QPushButton>(tab(), "unlinkButton")->click();
    EXPECT_EQ(source(), "Stored in the app");
    EXPECT_EQ(editor()->toPlainText(), "- from the phone");
    EXPECT_FALSE(h->state().brainDumpFilePath);
}

}  // namespace
}  // namespace cadro::testing
