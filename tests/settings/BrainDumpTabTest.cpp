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

TEST_F(BrainDumpTabTest, TheLinkedFileIsEditedBothWaysAndKeptOnUnlinking) {
    writeFile(notes, "- one\n");
    ASSERT_TRUE(tab()->linkFile(QString::fromStdString(notes.string())));
    EXPECT_EQ(editor()->toPlainText(), "- one");  // the file's final line break is the file's
    EXPECT_TRUE(source().startsWith("notes.md"));
    editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(editor(), Qt::Key_Return);
    QTest::keyClicks(editor(), "- two");
    settle();
    EXPECT_EQ(readFile(notes), "- one\n- two\n");
    EXPECT_EQ(h->state().brainDump, "- one\n- two");

    // An outside edit shows up when the tab appears again.
    writeFile(notes, "- one\n- from another editor\n");
    ui.setSelectedTab(SettingsTab::active);
    ui.setSelectedTab(SettingsTab::brainDump);
    settle();
    EXPECT_EQ(editor()->toPlainText(), "- one\n- from another editor");

    in<QPushButton>(tab(), "unlinkButton")->click();
    EXPECT_EQ(source(), "Stored in the app");
    EXPECT_EQ(editor()->toPlainText(), "- one\n- from another editor");
    EXPECT_FALSE(h->state().brainDumpFilePath);
}

TEST_F(BrainDumpTabTest, AFileThatIsNotTextIsRefusedAndLeftAlone) {
    const std::string bytes = "\x89PNG\r\n\x1A\n\xFF\xFE";
    writeFile(notes, bytes);
    EXPECT_FALSE(tab()->linkFile(QString::fromStdString(notes.string())));
    EXPECT_EQ(readFile(notes), bytes);
    EXPECT_FALSE(h->state().brainDumpFilePath);
    EXPECT_EQ(source(), "Stored in the app");
    EXPECT_TRUE(notice()->isVisibleTo(tab()));
}

TEST_F(BrainDumpTabTest, AnOutsideChangeBetweenRefreshesIsNeverOverwritten) {
    writeFile(notes, "- one\n");
    tab()->linkFile(QString::fromStdString(notes.string()));
    writeFile(notes, "- one\n- from the phone\n");  // while the tab stays in view
    editor()->moveCursor(QTextCursor::End);
    editor()->insertPlainText("\n- typed here");  // one edit, as a paste
    settle();

    EXPECT_EQ(editor()->toPlainText(), "- one\n- from the phone");
    EXPECT_EQ(readFile(h.folder() / "notes (conflict from Cadro).md"), "- one\n- typed here\n");
    EXPECT_TRUE(notice()->text().contains("notes (conflict from Cadro).md"));
}

}  // namespace
}  // namespace cadro::testing
