#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::StoreHarness;

TEST(DaySession, StartDayRestartsTheRoundFromTheFirstActiveThread) {
    StoreHarness h;
    auto a = h.addThread("A");
    auto b = h.addThread("B", 2);
    h->startDay();
    h->next();
    h->next();
    h->addTodo("x", 5);
    h->startDay();
    EXPECT_EQ(h->currentID(), a);
    EXPECT_EQ(h->strand(a)->lastSlot, 0);
    EXPECT_FALSE(h->strand(b)->lastSlot);
    EXPECT_EQ(h->slot(), 1);
    h->next();
    EXPECT_EQ(h->currentID(), b);
}

TEST(DaySession, StartDayWithNoActiveThreadsLeavesNothingCurrent) {
    StoreHarness h;
    h->park(h->hygiene()->id);
    h->startDay();
    EXPECT_TRUE(h->sessionOpen());
    EXPECT_FALSE(h->currentID());
    EXPECT_EQ(h->slot(), 0);
    h->next();
    EXPECT_FALSE(h->currentID());
}

TEST(DaySession, ARelaunchPicksAMissingCurrentAndEndDayStopsTheCycleButKeepsIt) {
    StoreHarness h;
    h.openDay({"A", "B"});
    auto state = h->persistedState();
    state.currentID.reset();
    testing::writeFile(h.file(), encodeStoreFile(state));
    h.reopen();
    EXPECT_TRUE(h->sessionOpen());
    EXPECT_EQ(h.currentTitle(), "B");  // A was shown at Start Day

    h->endDay();
    EXPECT_FALSE(h->currentID());
    state = h->persistedState();
    EXPECT_EQ(state.slot, 2);
    h->next();
    EXPECT_EQ(h->persistedState(), state);
}

struct LinkedDump : StoreHarness {
    fs::path notes() { return dir / "notes.md"; }
};

TEST(BrainDump, LinkingTakesTheFilesTextOrWritesTheStoresIntoAnEmptyOrMissingFile) {
    LinkedDump h;
    h->editBrainDump("- buy ink");
    h->linkBrainDumpFile(h.notes());
    EXPECT_EQ(testing::readFile(h.notes()), "- buy ink");
    testing::writeFile(h.notes(), "");
    h->linkBrainDumpFile(h.notes());
    EXPECT_EQ(testing::readFile(h.notes()), "- buy ink");
    EXPECT_EQ(h->brainDumpFilePath(), h.notes().string());

    testing::writeFile(h.notes(), "file text\n");
    h->linkBrainDumpFile(h.notes());
    EXPECT_EQ(h->brainDump(), "file text\n");
    h.reopen();
    EXPECT_EQ(h->brainDump(), "file text\n");
}

TEST(BrainDump, EditsGoToTheFileAndOutsideEditsComeBackOnRefresh) {
    LinkedDump h;
    h->linkBrainDumpFile(h.notes());
    h->editBrainDump("- one\n- two");
    EXPECT_EQ(testing::readFile(h.notes()), "- one\n- two");

    testing::writeFile(h.notes(), "- edited elsewhere");
    auto bytes = testing::readFile(h.file());
    h->refreshBrainDump();
    EXPECT_EQ(h->brainDump(), "- edited elsewhere");
    EXPECT_EQ(testing::readFile(h.file()), bytes);  // refreshing saves nothing

    // At start-up a readable file wins, even when empty.
    testing::writeFile(h.notes(), "");
    h.reopen();
    EXPECT_EQ(h->brainDump(), "");
}

TEST(BrainDump, ADeletedFileIsRecreatedByTheNextEditAndUnlinkLeavesItAlone) {
    LinkedDump h;
    h->linkBrainDumpFile(h.notes());
    h->editBrainDump("kept");
    fs::remove(h.notes());
    h->refreshBrainDump();
    EXPECT_EQ(h->brainDump(), "kept");
    h->editBrainDump("kept, edited");
    EXPECT_EQ(testing::readFile(h.notes()), "kept, edited");

    h->unlinkBrainDumpFile();
    h->editBrainDump("only in the store");
    EXPECT_EQ(testing::readFile(h.notes()), "kept, edited");
    EXPECT_EQ(h->brainDump(), "only in the store");
    EXPECT_FALSE(h->brainDumpFilePath());
}

TEST(BrainDump, AFileThatIsNotUtf8TextIsNeverLinkedOrOverwritten) {
    LinkedDump h;
    h->editBrainDump("safe");
    testing::writeFile(h.notes(), "caf\xE9 in Latin-1");
    EXPECT_FALSE(h->linkBrainDumpFile(h.notes()));
    EXPECT_FALSE(h->brainDumpFilePath());
    EXPECT_EQ(h->brainDump(), "safe");
    EXPECT_EQ(testing::readFile(h.notes()), "caf\xE9 in Latin-1");

    // Linked first, then replaced by another program with such bytes: it is
    // not read, and the store keeps its own text.
    testing::writeFile(h.notes(), "");
    ASSERT_TRUE(h->linkBrainDumpFile(h.notes()));
    testing::writeFile(h.notes(), "\xFF");
    h->refreshBrainDump();
    EXPECT_EQ(h->brainDump(), "safe");
}

}  // namespace
}  // namespace cadro
