// The replacing write: what is kept when a step of it fails.
#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "model/File.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

bool WriteNew(File& file) {
    return file.Write("new", 3);
}

std::size_t FileCount(const test::TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

// Real files; the platform's replace, move and the two opens are scripted.
TEST(ReplacingWrite, FailedStepsNeverDeleteTheLastCopyOfTheNewText) {
    const struct {
        bool tempWorks;
        ReplaceOutcome replace;
        bool moveWorks, inPlaceWorks, stored;
        const char* target;  // its content afterwards, "" when it is gone
        bool tempKept;
        bool inPlaceAllowed = true;
    } cases[] = {
        {false, ReplaceOutcome::kReplaced, true, true, true, "new", false},    // no file beside it: in place
        {true, ReplaceOutcome::kUnchanged, false, true, false, "old", false},  // the old file stays
        {true, ReplaceOutcome::kTargetGone, true, true, true, "new", false},
        {true, ReplaceOutcome::kTargetGone, false, true, true, "new", false},
        {true, ReplaceOutcome::kTargetGone, false, false, false, "", true},
        // A program with high rights never writes in place, even where that is the only way.
        {false, ReplaceOutcome::kReplaced, true, true, false, "old", false, false},
        {true, ReplaceOutcome::kTargetGone, false, true, false, "", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.replace) << c.moveWorks << c.inPlaceWorks
                                        << c.inPlaceAllowed);
        test::TempDir dir;
        test::WriteBytes(dir.Path() / "t.dat", "old");
        std::u16string temp;
        ReplaceSteps steps;
        steps.createTemp = [&](const std::u16string& target, std::u16string& path) {
            File file = c.tempWorks ? File::CreateTempBeside(target, path) : File();
            temp = path;
            return file;
        };
        steps.replace = [&](const std::u16string&, const std::u16string& target) {
            if (c.replace == ReplaceOutcome::kTargetGone)
                DeleteFileAt(target);
            return c.replace;
        };
        steps.move = [&](const std::u16string& from, const std::u16string& to) {
            return c.moveWorks && MoveFileOver(from, to);
        };
        steps.openInPlace = [&](const std::u16string& path) {
            EXPECT_TRUE(c.inPlaceAllowed) << "written in place";
            return c.inPlaceWorks ? File::CreateTruncate(path) : File();
        };
        steps.inPlace = c.inPlaceAllowed;
        EXPECT_EQ(c.stored, WriteFileReplacing(dir.File("t.dat"), WriteNew, steps));
        EXPECT_EQ(c.target, FileExists(dir.File("t.dat")) ? test::ReadBytes(dir.Path() / "t.dat") : "");
        EXPECT_EQ(c.tempKept ? "new" : "", FileExists(temp) ? test::ReadBytes(std::filesystem::path(temp)) : "");
        EXPECT_EQ((*c.target ? 1u : 0u) + (c.tempKept ? 1u : 0u), FileCount(dir)) << "a file was left behind";
    }
}

#ifndef _WIN32
// A folder where the writing account may change its file but create none. Root may create files
// anywhere, so as root the write runs in a child process under the account "nobody".
TEST(ReplacingWrite, FolderWhereNoFileCanBeCreatedGetsItsFileWrittenInPlace) {
    test::TempDir dir;
    const std::filesystem::path file = dir.Path() / "t.dat";
    test::WriteBytes(file, "old text");
    const std::u16string path = dir.File("t.dat");
    bool stored = false;
    if (::geteuid() == 0) {
        constexpr uid_t kNobody = 65534;
        ASSERT_EQ(0, ::chmod(dir.Path().c_str(), 0755));
        ASSERT_EQ(0, ::chown(file.c_str(), kNobody, kNobody));
        const pid_t child = ::fork();
        if (child == 0)
            _exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && WriteFileReplacing(path, WriteNew) ? 0 : 1);
        int status = 1;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        stored = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } else {
        ASSERT_EQ(0, ::chmod(dir.Path().c_str(), 0555));
        stored = WriteFileReplacing(path, WriteNew);
        ::chmod(dir.Path().c_str(), 0755);
    }
    EXPECT_TRUE(stored);
    EXPECT_EQ("new", test::ReadBytes(file));
    EXPECT_EQ(1u, FileCount(dir));
}
#endif

}  // namespace
}  // namespace velmora
