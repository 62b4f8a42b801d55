#include "core/settings/BrainDumpSync.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::StoreHarness;
using testing::writeFile;

class BrainDumpSyncTest : public ::testing::Test {
  protected:
    BrainDumpSyncTest() {
        writeFile(notes, "- one\n");
        EXPECT_TRUE(sync.link(notes));
    }
    StoreHarness h;
    fs::path notes = h.folder() / "notes.md";
    BrainDumpSync sync{h.store()};
};

TEST_F(BrainDumpSyncTest, AnOutsideChangeIsKeptAndThePageTextGoesToAConflictCopy) {
    writeFile(notes, "- one\n- from the phone\n");
    auto copy = sync.edit("- one\n- typed here");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->filename(), "notes (conflict from Cadro).md");
    EXPECT_EQ(readFile(*copy), "- one\n- typed here\n");
    EXPECT_EQ(readFile(notes), "- one\n- from the phone\n");
    EXPECT_EQ(h->state().brainDump, "- one\n- from the phone");

    // The next edit builds on the file's text and goes into the file again; a
    // second conflict never overwrites the first copy.
    EXPECT_FALSE(sync.edit("- one\n- from the phone\n- more"));
    EXPECT_EQ(readFile(notes), "- one\n- from the phone\n- more\n");
    writeFile(notes, "elsewhere again\n");
    auto second = sync.edit("here again");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->filename(), "notes (conflict from Cadro 2).md");
    EXPECT_EQ(readFile(*copy), "- one\n- typed here\n");
}

TEST_F(BrainDumpSyncTest, ChangesThatAreNoConflict) {
    // A refresh takes the outside text first, so the edit builds on it.
    writeFile(notes, "outside\n");
    sync.refresh();
    EXPECT_EQ(h->state().brainDump, "outside");
    EXPECT_FALSE(sync.edit("outside\nhere"));
    EXPECT_EQ(readFile(notes), "outside\nhere\n");

    // A command changes the store and the file together.
    h->editBrainDump("from the command line");
    EXPECT_FALSE(sync.edit("from the command line\nhere"));

    // The outside editor wrote what the page has anyway.
    writeFile(notes, "same\n");
    EXPECT_FALSE(sync.edit("same"));
    for (const auto& entry : fs::directory_iterator(h.folder()))
        EXPECT_EQ(entry.path().string().find("conflict"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace cadro
