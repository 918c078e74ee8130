// Shared copies on a real XFS file system with reflinks, made in a loop file
// (root only; skipped where loop mounts are refused): a reflink copy is seen
// as sharing its data, a plain copy is made to share it with every name,
// inode, owner and mode kept and the space back, different bytes change nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "engines/dupes/DuplicateSpace.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace Dupes;

namespace {

// Whether two files' data lie at the same places on the disk.
bool sharesData(const fs::path& a, const fs::path& b)
{
    const auto ea = extentsOf(a), eb = extentsOf(b);
    return ea && eb && sameExtents(*ea, *eb);
}

// An XFS file system with reflinks in a loop file, mounted for the test's life.
class ReflinkMount {
public:
    ReflinkMount()
    {
        if (geteuid() != 0) {
            why_ = "not root";
            return;
        }
        image_ = freshFolder("reflink") / "xfs.img";
        point_ = freshFolder("reflink") / "mnt";
        fs::create_directories(point_);
        const std::string make = "truncate -s 320M '" + image_.string() + "' && mkfs.xfs -q -f -m reflink=1 '"
            + image_.string() + "' >/dev/null 2>&1 && mount -o loop '" + image_.string() + "' '" + point_.string()
            + "' 2>/dev/null";
        mounted_ = std::system(make.c_str()) == 0;
        if (!mounted_)
            why_ = "no XFS loop mount here (mkfs.xfs missing or loop mounts refused)";
    }
    ~ReflinkMount()
    {
        if (mounted_)
            std::system(("umount '" + point_.string() + "'").c_str());
        std::error_code ec;
        fs::remove(image_, ec);
    }
    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    const fs::path& path() const { return point_; }

private:
    fs::path image_, point_;
    bool mounted_ = false;
    std::string why_;
};

std::int64_t freeBytes(const fs::path& path)
{
    struct statvfs info;
    statvfs(path.c_str(), &info);
    return std::int64_t(info.f_bavail) * std::int64_t(info.f_frsize);
}

std::string bytesOf(std::size_t size, char seed)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = char(seed + char((i * 131) % 253));
    return text;
}

} // namespace

TEST(DuplicateSpace, ReflinkCopiesShareAndPlainCopiesAreMadeToShare)
{
    const ReflinkMount xfs;
    if (!xfs.mounted())
        GTEST_SKIP() << xfs.why();
    const fs::path dir = xfs.path();
    const std::size_t size = 40 << 20;
    const std::string data = bytesOf(size, 'q');
    writeFile(dir / "kept.bin", data);
    ASSERT_EQ(std::system(("cp --reflink=always '" + (dir / "kept.bin").string() + "' '" + (dir / "reflinked.bin").string() + "'").c_str()), 0);
    writeFile(dir / "copy.bin", data);
    fs::create_hard_link(dir / "copy.bin", dir / "copy-name2.bin");
    chmod((dir / "copy.bin").c_str(), 0640);
    writeFile(dir / "other.bin", bytesOf(size, 'r'));
    sync();

    EXPECT_TRUE(sharesData(dir / "kept.bin", dir / "reflinked.bin"));
    EXPECT_FALSE(sharesData(dir / "kept.bin", dir / "copy.bin"));

    struct stat before;
    ASSERT_EQ(stat((dir / "copy.bin").c_str(), &before), 0);
    const std::int64_t freeBefore = freeBytes(dir);
    EXPECT_EQ(shareWith(dir / "kept.bin", dir / "copy.bin", std::int64_t(size)), ShareResult::Done);
    sync();
    EXPECT_TRUE(sharesData(dir / "kept.bin", dir / "copy.bin"));
    struct stat after;
    ASSERT_EQ(stat((dir / "copy.bin").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(readFile(dir / "copy-name2.bin"), data);
    EXPECT_GT(freeBytes(dir) - freeBefore, std::int64_t(size) * 9 / 10);

    // Different bytes: the kernel refuses, nothing changes.
    EXPECT_EQ(shareWith(dir / "kept.bin", dir / "other.bin", std::int64_t(size)), ShareResult::Differs);
    EXPECT_EQ(readFile(dir / "other.bin"), bytesOf(size, 'r'));
    // Two file systems: never offered.
    writeFile(freshFolder("reflink-elsewhere") / "copy.bin", data);
    EXPECT_EQ(shareWith(dir / "kept.bin", freshFolder("reflink-elsewhere") / "copy.bin", std::int64_t(size)),
              ShareResult::Unsupported);
}

TEST(DuplicateSpace, ExtentListsCompareWhole)
{
    const std::vector<Extent> a{{0, 4096, 8192}};
    EXPECT_TRUE(sameExtents(a, a));
    EXPECT_FALSE(sameExtents({}, {}));  // holes only share nothing
    EXPECT_FALSE(sameExtents(a, {{0, 4096, 4096}}));
    EXPECT_FALSE(sameExtents(a, {{0, 4096, 4096}, {4096, 999'424, 4096}}));
}
