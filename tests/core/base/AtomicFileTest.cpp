#include "core/base/AtomicFile.h"
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

TEST(AtomicFile, NewFilesAreUserOnlyAndExistingFilesKeepTheirMode) {
    TempDir dir;
    auto fresh = dir / "fresh.json";
    ASSERT_FALSE(writeFileAtomically(fresh, "one"));
    EXPECT_EQ(testing::readFile(fresh), "one");
    EXPECT_EQ(modeOf(fresh), 0600u);

    auto shared = dir / "notes.md";
    testing::writeFile(shared, "old");
    ::chmod(shared.c_str(), 0644);
    ASSERT_FALSE(writeFileAtomically(shared, "new", Durability::Unsynced));
    EXPECT_EQ(testing::readFile(shared), "new");
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
    auto dangling = dir / "dangling.md";
    fs::create_symlink("vault/new.md", dangling);
    ASSERT_FALSE(writeFileAtomically(dangling, "created"));
    EXPECT_EQ(testing::readFile(dir / "vault" / "new.md"), "created");
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

TEST(AtomicFile, CreatesPrivateDirectoriesWithParents) {
    TempDir dir;
    auto nested = dir / "a" / "b" / "Cadro";
    ASSERT_FALSE(createPrivateDirectories(nested));
    EXPECT_TRUE(fs::is_directory(nested));
    EXPECT_EQ(modeOf(nested), 0700u);
    EXPECT_FALSE(createPrivateDirectories(nested));  // existing is fine
}

}  // namespace
}  // namespace cadro
