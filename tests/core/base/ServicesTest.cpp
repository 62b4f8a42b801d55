#include "core/base/AtomicFile.h"
#include "core/base/Observable.h"
#include "core/base/Random.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

TEST(AtomicFile, NewFilesAndFoldersAreUserOnlyAndExistingFilesKeepTheirMode) {
    TempDir dir;
    auto nested = dir / "a" / "b" / "Cadro";
    ASSERT_FALSE(createPrivateDirectories(nested));
    EXPECT_TRUE(fs::is_directory(nested));
    EXPECT_EQ(modeOf(nested), 0700u);
    EXPECT_FALSE(createPrivateDirectories(nested));  // existing is fine
    fs::remove_all(dir / "a");

    auto fresh = dir / "fresh.json";
    ASSERT_FALSE(writeFileAtomically(fresh, "one"));
    EXPECT_EQ(testing::readFile(fresh), "one");
    EXPECT_EQ(modeOf(fresh), 0600u);

    auto shared = dir / "notes.md";
    testing::writeFile(shared, "old");
    ::chmod(shared.c_str(), 0644);
    ASSERT_FALSE(writeFileAtomically(shared, "new", Durability::Unsynced));
    EXPECT_EQ(modeOf(shared), 0644u);
    // No temporary files are left behind.
    auto entries = std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    EXPECT_EQ(entries, 2);
}

TEST(AtomicFile, WritesThroughSymbolicLinksAndKeepsThem) {
    TempDir dir;
    fs::create_directory(dir / "vault");
    auto real = dir / "vault" / "brain.md";
    testing::writeFile(real, "before");
    auto link = dir / "brain-link.md";
    fs::create_symlink("vault/brain.md", link);

    ASSERT_FALSE(writeFileAtomically(link, "after"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(testing::readFile(real), "after");
    // A dangling link gets its target created.
    fs::create_symlink("vault/new.md", dir / "dangling.md");
    ASSERT_FALSE(writeFileAtomically(dir / "dangling.md", "created"));
    EXPECT_EQ(testing::readFile(dir / "vault" / "new.md"), "created");
}

// The replacing write keeps whatever it displaced that was not expected.
TEST(AtomicFile, AReplacingWriteKeepsWhatItDidNotExpectToReplace) {
    struct Case {
        const char* name;
        std::optional<std::string> onDisk;         // nothing: no file
        std::optional<std::string_view> expected;  // nothing: no file expected
        bool kept;
    };
    const Case cases[] = {
        {"what was expected is dropped", "mine", "mine", false},
        {"an edit made meanwhile is kept", "edited", "mine", true},
        {"a file that appeared is kept", "new", std::nullopt, true},
        {"a file that went is no loss", std::nullopt, "mine", false},
        {"a first write", std::nullopt, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto file = dir / "threads.json";
        if (c.onDisk)
            testing::writeFile(file, *c.onDisk);
        Replacement r =
            replaceFileKeepingOthers(file, "ours", c.expected, dir / "kept", Durability::Unsynced);
        ASSERT_FALSE(r.error);
        EXPECT_EQ(testing::readFile(file), "ours");
        EXPECT_EQ(r.displaced, c.onDisk);
        EXPECT_EQ(!r.keptAt.empty(), c.kept);
        if (c.kept) {
            EXPECT_EQ(testing::readFile(r.keptAt), *c.onDisk);
        }
        // Nothing else is left behind.
        auto entries = std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
        EXPECT_EQ(entries, c.kept ? 2 : 1);
    }
}

TEST(AtomicFile, ReportsFailuresInsteadOfPretending) {
    TempDir dir;
    EXPECT_TRUE(writeFileAtomically(dir / "missing-folder" / "x", "data"));
    std::string out;
    EXPECT_TRUE(readWholeFile(dir / "nothing", out));
    EXPECT_TRUE(readWholeFile("/dev/zero", out));  // would never end
    ::mkfifo((dir / "fifo").c_str(), 0600);
    EXPECT_TRUE(readWholeFile(dir / "fifo", out));  // would block
    EXPECT_TRUE(readWholeFile(dir.path(), out));
}

TEST(Observable, DeliversUntilTheSubscriptionIsCancelledEvenFromInsideTheCallback) {
    Subscription outliving;
    std::vector<int> seen;
    {
        Observable<int> subject;
        Subscription selfCancelling;
        selfCancelling = subject.subscribe([&](int v) {
            seen.push_back(v);
            selfCancelling.cancel();
        });
        {
            auto dropped = subject.subscribe([&](int v) { seen.push_back(10 * v); });
            subject.notify(1);
        }
        outliving = subject.subscribe([](int) {});
        subject.notify(2);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 10}));
    outliving.cancel();  // after the subject is gone: must not touch freed memory
}

// The store draws chance to-dos with this when nothing else is injected.
TEST(SeededRandom, SpreadsOverTheUnitIntervalAndDiffersBetweenRuns) {
    SeededRandom random(42);
    int quarters[4] = {};
    for (int i = 0; i < 10000; ++i) {
        const double r = random.uniform();
        ASSERT_TRUE(r >= 0.0 && r < 1.0) << r;
        ++quarters[static_cast<int>(r * 4)];
    }
    for (int count : quarters)
        EXPECT_NEAR(count, 2500, 200);
    EXPECT_NE(SeededRandom().uniform(), SeededRandom().uniform());
}

}  // namespace
}  // namespace cadro
