#include "cli/CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::string kPortal = std::string(VELA_EXAMPLES_DIR) + "/portal.txt";
const std::string kOldReactions = "an older run's complete reactions\n";

// Every name in the folder that is neither one of the nine files nor one of
// the given extras: a temporary file left behind, for one.
std::vector<std::string> Strays(const std::string& folder, std::set<std::string> extras = {})
{
    extras.insert(kSolutionFiles.begin(), kSolutionFiles.end());
    std::vector<std::string> strays;
    for (const std::string& name : Listing(folder))
        if (!extras.count(name))
            strays.push_back(name);
    return strays;
}

TEST(NothingHalfWritten, AnOldResultSurvivesARunThatFailsBeforeItsWriter)
{
    // A folder where the element-axis force file goes stops the run at
    // that file, before the reactions are written.
    ScratchDir out;
    out.Write("Nodal_Reaction.txt", kOldReactions);
    fs::create_directory(out.File("MForInElemCS.txt"));
    const CliRun run = RunCli({"solve", kPortal, "-C", out.Path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(FirstLine(run.err),
              "The file which record the member forces in the element coordinate system , write error!");
    EXPECT_NE(run.err.find("\ncannot write "), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(out.File("Nodal_Reaction.txt")), kOldReactions);
    EXPECT_TRUE(fs::is_directory(out.File("MForInElemCS.txt")));
    EXPECT_TRUE(fs::is_empty(out.File("MForInElemCS.txt")));
    EXPECT_FALSE(FileExists(out.File("MDisInGlobalCS.txt")));
    EXPECT_TRUE(FileExists(out.File("MForInGlobalCS.txt")));
    EXPECT_EQ(Strays(out.Path()), std::vector<std::string>{});
}

TEST(NothingHalfWritten, AFileThatCannotBeReplacedStaysAsItWas)
{
    // A folder standing where the reactions go: the writer cannot put its
    // file there, and neither the folder nor anything around it is touched.
    ScratchDir out;
    fs::create_directory(out.File("Nodal_Reaction.txt"));
    CliRun run = RunCli({"solve", kPortal, "-C", out.Path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(FirstLine(run.err), "file write error!");
    EXPECT_NE(run.err.find("\ncannot write "), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(out.File("Nodal_Reaction.txt")));
    EXPECT_FALSE(FileExists(out.File("MDisInGlobalCS.txt")));
    EXPECT_EQ(Strays(out.Path()), std::vector<std::string>{});

    // A refused input leaves a complete earlier solution byte for byte.
    ScratchDir solved;
    ASSERT_EQ(RunCli({"solve", kPortal, "-C", solved.Path()}).status, 0);
    std::vector<std::string> before;
    for (const std::string& name : kSolutionFiles)
        before.push_back(ReadFile(solved.File(name)));
    run = RunCli({"solve", std::string(VELA_TEST_DATA_DIR) + "/bad/ends-in-springs.txt", "-C", solved.Path()});
    EXPECT_EQ(run.status, 1);
    for (std::size_t i = 0; i < kSolutionFiles.size(); ++i)
        EXPECT_EQ(ReadFile(solved.File(kSolutionFiles[i])), before[i]) << kSolutionFiles[i];
    EXPECT_EQ(Strays(solved.Path()), std::vector<std::string>{});
}

#if !defined(_WIN32)

// A small tmpfs of its own, unmounted again when the test ends. Mounting
// needs privileges a test run may not have; then the test is skipped.
class SmallFilesystem {
public:
    explicit SmallFilesystem(const std::string& path) : m_Path(path)
    {
        fs::create_directory(path);
        m_Mounted = ::mount("tmpfs", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
        m_Error = m_Mounted ? 0 : errno;
    }
    ~SmallFilesystem()
    {
        if (m_Mounted)
            ::umount2(m_Path.c_str(), MNT_DETACH);
    }
    SmallFilesystem(const SmallFilesystem&) = delete;
    SmallFilesystem& operator=(const SmallFilesystem&) = delete;

    bool Mounted() const { return m_Mounted; }
    const char* Error() const { return std::strerror(m_Error); }

    // Fills the file system with one file and then gives back the given
    // number of blocks; returns the free blocks afterwards.
    long long FillLeaving(long long blocks) const
    {
        const std::string filler = m_Path + "/filler";
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return -1;
        struct statvfs info {};
        ::fstatvfs(fd, &info);
        const std::string block(info.f_bsize, 'x');
        long long written = 0;
        while (::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size()))
            ++written;
        const int truncated = ::ftruncate(fd, static_cast<off_t>(std::max(0LL, written - blocks) * info.f_bsize));
        ::close(fd);
        if (truncated != 0 || ::statvfs(m_Path.c_str(), &info) != 0)
            return -1;
        return static_cast<long long>(info.f_bfree);
    }

private:
    std::string m_Path;
    bool m_Mounted = false;
    int m_Error = 0;
};

long long BlocksOf(const std::string& path, long long blockSize)
{
    return (static_cast<long long>(fs::file_size(path)) + blockSize - 1) / blockSize;
}

TEST(NothingHalfWritten, AFullDiskLeavesTheOldFileAndNoTemporaryFile)
{
    ScratchDir scratch;
    SmallFilesystem disk(scratch.File("disk"));
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (" << disk.Error() << ")";
    const std::string folder = scratch.File("disk");
    struct statvfs info {};
    ASSERT_EQ(::statvfs(folder.c_str(), &info), 0);
    const long long blockSize = static_cast<long long>(info.f_bsize);

    // Blocks of the seven files written before the reactions, measured on a
    // run with room enough.
    ScratchDir roomy;
    ASSERT_EQ(RunCli({"solve", kPortal, "-C", roomy.Path()}).status, 0);
    long long before = 0;
    for (const std::string& name : kSolutionFiles) {
        if (name == "Nodal_Reaction.txt")
            break;
        before += BlocksOf(roomy.File(name), blockSize);
    }

    // A full disk: the very first side file cannot be written.
    {
        std::FILE* old = std::fopen((folder + "/Nodal_Reaction.txt").c_str(), "wb");
        ASSERT_NE(old, nullptr);
        std::fputs(kOldReactions.c_str(), old);
        std::fclose(old);
    }
    ASSERT_EQ(disk.FillLeaving(0), 0);
    CliRun run = RunCli({"solve", kPortal, "-C", folder});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(FirstLine(run.err), "Point.txt open error!");
    EXPECT_NE(run.err.find("\ncannot write "), std::string::npos) << run.err;
    EXPECT_EQ(Listing(folder), (std::set<std::string>{"Nodal_Reaction.txt", "filler"}));
    EXPECT_EQ(ReadFile(folder + "/Nodal_Reaction.txt"), kOldReactions);

    // Room for exactly the seven earlier files: the disk runs full while
    // the new reactions are being written.
    ASSERT_EQ(disk.FillLeaving(before), before);
    run = RunCli({"solve", kPortal, "-C", folder});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(FirstLine(run.err), "file write error!");
    EXPECT_NE(run.err.find("\ncannot write "), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(folder + "/Nodal_Reaction.txt"), kOldReactions);
    EXPECT_TRUE(FileExists(folder + "/MForInElemCS.txt"));
    EXPECT_FALSE(FileExists(folder + "/MDisInGlobalCS.txt"));
    EXPECT_EQ(Strays(folder, {"filler"}), std::vector<std::string>{});
}

#else

TEST(NothingHalfWritten, AFullDiskLeavesTheOldFileAndNoTemporaryFile)
{
    GTEST_SKIP() << "excluded on Windows: the test mounts a tmpfs of a few blocks to run the disk full, which "
                    "only Linux offers; the failed write takes the same path as the replaced folder above";
}

#endif

} // namespace
