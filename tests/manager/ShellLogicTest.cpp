// Shortcut titles, names and targets, the open command's cut, the export of a task and the log
// viewer's order of attempts.
#include "manager/ShellLogic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

#include "model/TaskParams.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

TEST(ShortcutName, TitleFromTheRowsTaskAndComment) {
    const struct {
        std::u16string task, comment, expected;
    } cases[] = {
        {u"Shutdown", u"nightly", u"Shutdown nightly"},
        {u"Shutdown", u" ", u"Shutdown"},  // the row's empty comment
        {u"Shutdown", u"", u"Shutdown"},
        {u"Shutdown", u"   ", u"Shutdown"},
        {u"Popup", u"  lunch", u"Popup   lunch"},
        {u" ", u"nightly", u"nightly"},  // a row whose task file cannot be read
        {u" ", u" ", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.comment.begin(), c.comment.end()));
        EXPECT_EQ(c.expected, ShortcutTitle(c.task, c.comment));
    }
}

TEST(ShortcutName, CutAtTheFirstCharacterThatCannotStandInTheName) {
    const struct {
        std::u16string title, expected;
    } cases[] = {
        {u"Shutdown nightly", u"Shutdown nightly"},
        {u"Shutdown at 22:30", u"Shutdown at 22"},
        {u"Reboot *now*", u"Reboot "},
        {u"Lock why?", u"Lock why"},
        {u"Popup <b>", u"Popup "},
        {u"Popup a>b", u"Popup a"},
        {u"Log off a|b", u"Log off a"},
        {u"Shutdown ..\\..\\Windows\\x", u"Shutdown .."},
        {u"Shutdown a/b", u"Shutdown a"},
        {u"Popup say \"hi\"", u"Popup say "},
        {u"Popup tab\there", u"Popup tab"},
        {u"Popup line\r\nnext", u"Popup line"},
        {u"Shutdown a:b*c", u"Shutdown a"},
        {u":*?", u""},
        {u"", u""},
        {u"Wakeup (\u00e9t\u00e9) #1 & 50%", u"Wakeup (\u00e9t\u00e9) #1 & 50%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title.begin(), c.title.end()));
        EXPECT_EQ(c.expected, CutShortcutTitle(c.title));
    }
}

TEST(ShortcutName, BasePathStaysInTheFolder) {
    EXPECT_EQ(u"C:\\Users\\ann\\Desktop\\Shutdown nightly",
              ShortcutBasePath(u"C:\\Users\\ann\\Desktop", u"Shutdown nightly"));
    EXPECT_EQ(u"D:\\Shutdown 10", ShortcutBasePath(u"D:\\", u"Shutdown 10:00"));
    EXPECT_EQ(u"C:\\Users\\ann\\Desktop\\..", ShortcutBasePath(u"C:\\Users\\ann\\Desktop", u"..\\..\\evil"));
    EXPECT_EQ(u"C:\\Users\\ann\\Desktop\\", ShortcutBasePath(u"C:\\Users\\ann\\Desktop", u"|"));
}

TEST(ShortcutName, NumberedWhileTheNameIsTaken) {
    const std::u16string base = u"C:\\D\\Shutdown nightly";
    const struct {
        std::set<std::u16string> taken;
        std::u16string expected;
    } cases[] = {
        {{}, base + u".lnk"},
        {{base + u".lnk"}, base + u"(1).lnk"},
        {{base + u".lnk", base + u"(1).lnk"}, base + u"(2).lnk"},
        {{base + u"(1).lnk"}, base + u".lnk"},
        {{base + u".lnk", base + u"(2).lnk"}, base + u"(1).lnk"},
    };
    for (const auto& c : cases) {
        const auto path = FreeShortcutPath(base, [&](const std::u16string& p) { return c.taken.count(p) > 0; });
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(c.expected, *path);
    }
    std::vector<std::u16string> asked;
    const auto none = FreeShortcutPath(base, [&](const std::u16string& p) {
        asked.push_back(p);
        return true;
    });
    EXPECT_FALSE(none.has_value());
    EXPECT_EQ(static_cast<std::size_t>(kLastShortcutNumber + 1), asked.size());
    EXPECT_EQ(base + u"(9999).lnk", asked.back());
}

TEST(ShortcutTarget, TheExecutorBesideTheManagerByItsFullPath) {
    std::vector<std::u16string> asked;
    auto exists = [&](bool answer) {
        return [&asked, answer](const std::u16string& p) {
            asked.push_back(p);
            return answer;
        };
    };
    EXPECT_EQ(u"C:\\Program Files\\Velmora\\quenex.exe",
              ShortcutTarget(u"C:\\Program Files\\Velmora\\Velmora.exe", exists(true)));
    EXPECT_EQ(u"quenex", ShortcutTarget(u"C:\\Program Files\\Velmora\\Velmora.exe", exists(false)));
    EXPECT_EQ((std::vector<std::u16string>{u"C:\\Program Files\\Velmora\\quenex.exe",
                                           u"C:\\Program Files\\Velmora\\quenex.exe"}),
              asked);
    EXPECT_EQ(u"quenex", ShortcutTarget(u"Velmora.exe", exists(true)));
}

TEST(OpenCommand, CutWhereTheFileArgumentBegins) {
    const struct {
        std::u16string command, cut;
    } cases[] = {
        {u"\"C:\\Program Files\\Ed\\ed.exe\" \"%1\"", u"\"C:\\Program Files\\Ed\\ed.exe\" "},
        {u"C:\\Windows\\notepad.exe %1", u"C:\\Windows\\notepad.exe "},
        {u"C:\\Windows\\notepad.exe", u"C:\\Windows\\notepad.exe"},
        {u"ed.exe /p \"%1\" /q", u"ed.exe /p "},
        {u"ed.exe %1 \"%1\"", u"ed.exe %1 "},  // the quoted form is looked for first
        {u"ed.exe \"%1", u"ed.exe \""},
        {u"\"%1\"", u""},
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command.begin(), c.command.end()));
        EXPECT_EQ(c.cut, CutOpenCommand(c.command));
    }
}

TEST(OpenCommand, CommandLineQuotesTheFile) {
    const std::u16string file = u"C:\\Users\\Ann Lee\\Temp\\tmp000.txt";
    const struct {
        std::u16string command;
        std::optional<std::u16string> expected;
    } cases[] = {
        {u"\"C:\\Ed\\ed.exe\" \"%1\"", u"\"C:\\Ed\\ed.exe\" \"C:\\Users\\Ann Lee\\Temp\\tmp000.txt\""},
        {u"C:\\Windows\\system32\\notepad.exe %1 /x", u"C:\\Windows\\system32\\notepad.exe \"" + file + u"\""},
        {u"notepad.exe", u"notepad.exe \"" + file + u"\""},
        {u"\"%1\" %*", std::nullopt},
        {u"   %1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command.begin(), c.command.end()));
        EXPECT_EQ(c.expected, ViewerCommandLine(c.command, file));
    }
    EXPECT_EQ(u"The file C:\\a.ini could not be written.",
              FillPlaceholder(u"The file %s could not be written.", u"C:\\a.ini"));
    EXPECT_EQ(u"No place here.", FillPlaceholder(u"No place here.", u"x"));
}

class ExportTaskFileTest : public ::testing::Test {
protected:
    void SaveTask(const std::u16string& name) {
        CTaskParams record;
        record.action = kActionPopup;
        record.comment = u"lunch";
        record.message = u"Time to eat\r\nnow";
        record.delay = u"30";
        record.history = u"an old run";
        ASSERT_TRUE(record.Save(dir_.Folder(), name));
    }
    ExportResult Export(const std::u16string& name, std::optional<std::u16string> answer) {
        return ExportTaskFile(dir_.Folder(), name, [this, answer] {
            ++asked_;
            return answer;
        });
    }

    TempDir dir_;
    int asked_ = 0;
};

TEST_F(ExportTaskFileTest, WritesTheWholeRecordIntoTheChosenFile) {
    SaveTask(u"quenep-0abc");
    const std::u16string ini = dir_.File("out.ini");
    const ExportResult result = Export(u"quenep-0abc", ini);
    EXPECT_EQ(ExportOutcome::kExported, result.outcome);
    EXPECT_EQ(ini, result.path);
    CTaskParams back;
    ASSERT_TRUE(back.ImportIni(ini, kComputerLimit));
    EXPECT_EQ(kActionPopup, back.action);
    EXPECT_EQ(u"lunch", back.comment);
    EXPECT_EQ(u"Time to eat\r\nnow", back.message);  // only a full load reads it
    EXPECT_EQ(u"30", back.delay);
    EXPECT_EQ(u"", back.history);
}

TEST_F(ExportTaskFileTest, AnUnreadableTaskAsksNothingAndWritesNothing) {
    SaveTask(u"quenep-0bad");
    std::string bytes = test::ReadBytes(dir_.Path() / "quenep-0bad.dat");
    bytes[300] ^= 1;  // one unit of the record changed: the checksum no longer fits
    test::WriteBytes(dir_.Path() / "quenep-0bad.dat", bytes);
    for (const std::u16string name : {u"quenep-0bad", u"quenep-0missing"}) {
        EXPECT_EQ(ExportOutcome::kUnreadable, Export(name, dir_.File("out.ini")).outcome);
    }
    EXPECT_EQ(ExportOutcome::kNoTask, Export(u"", dir_.File("out.ini")).outcome);
    EXPECT_EQ(0, asked_);
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "out.ini"));
}

TEST_F(ExportTaskFileTest, CancelAndAFileThatCannotBeWritten) {
    SaveTask(u"quenep-0abc");
    EXPECT_EQ(ExportOutcome::kCancelled, Export(u"quenep-0abc", std::nullopt).outcome);
    std::filesystem::create_directory(dir_.Path() / "taken.ini");
    const ExportResult result = Export(u"quenep-0abc", dir_.File("taken.ini"));
    EXPECT_EQ(ExportOutcome::kNotWritten, result.outcome);
    EXPECT_EQ(dir_.File("taken.ini"), result.path);
    EXPECT_EQ(2, asked_);
}

// Records every attempt and answers them from a script.
class FakeViewerPlatform : public ViewerPlatform {
public:
    explicit FakeViewerPlatform(std::u16string temp) : temp_(std::move(temp)) {}
    std::u16string TempFolder() override { return temp_; }
    std::intptr_t ShellOpen(const std::u16string& path) override {
        calls.push_back(u"shell " + path);
        return shellResult;
    }
    std::optional<std::u16string> OpenCommand(const std::u16string& ending) override {
        calls.push_back(u"registry " + ending);
        return openCommand;
    }
    std::u16string SystemFolder() override { return u"C:\\Windows\\system32"; }
    bool StartProgram(const std::u16string& application, const std::u16string& commandLine) override {
        calls.push_back(u"start [" + application + u"] " + commandLine);
        const bool ok = starts.empty() ? false : starts.front();
        if (!starts.empty())
            starts.erase(starts.begin());
        return ok;
    }

    std::intptr_t shellResult = 0;
    std::optional<std::u16string> openCommand;
    std::vector<bool> starts;
    std::vector<std::u16string> calls;

private:
    std::u16string temp_;
};

TEST(ShowText, TriesTheShellThenTheRegisteredCommandThenNotepad) {
    TempDir dir;
    const std::u16string temp = dir.Folder() + u"/";
    const std::u16string file = temp + u"tmp000.txt";
    const std::u16string quoted = u"\"" + file + u"\"";
    const std::u16string notepad = u"C:\\Windows\\system32\\notepad.exe";
    const std::u16string startNotepad = u"start [" + notepad + u"] \"" + notepad + u"\" " + quoted;
    const struct {
        std::intptr_t shellResult;
        std::optional<std::u16string> openCommand;
        std::vector<bool> starts;
        Viewer viewer;
        std::vector<std::u16string> calls;
    } cases[] = {
        {42, u"ed.exe \"%1\"", {}, Viewer::kShell, {u"shell " + file}},
        {33, std::nullopt, {}, Viewer::kShell, {u"shell " + file}},
        {31,
         u"\"C:\\Ed\\ed.exe\" \"%1\"",
         {true},
         Viewer::kRegistered,
         {u"shell " + file, u"registry .txt", u"start [] \"C:\\Ed\\ed.exe\" " + quoted}},
        {32, std::nullopt, {true}, Viewer::kNotepad, {u"shell " + file, u"registry .txt", startNotepad}},
        {0,
         u"ed.exe %1",
         {false, true},
         Viewer::kNotepad,
         {u"shell " + file, u"registry .txt", u"start [] ed.exe " + quoted, startNotepad}},
        {2, u"\"%1\"", {true}, Viewer::kNotepad, {u"shell " + file, u"registry .txt", startNotepad}},
        {2, std::nullopt, {false}, Viewer::kNone, {u"shell " + file, u"registry .txt", startNotepad}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shellResult);
        FakeViewerPlatform platform(temp);
        platform.shellResult = c.shellResult;
        platform.openCommand = c.openCommand;
        platform.starts = c.starts;
        const ShowTextOutcome outcome = ShowTextWith(platform, u"run 1 ok\r\nrun 2 failed", u".txt");
        EXPECT_TRUE(outcome.written);
        EXPECT_EQ(file, outcome.path);
        EXPECT_EQ(c.shellResult, outcome.shellResult);
        EXPECT_EQ(c.viewer, outcome.viewer);
        EXPECT_EQ(c.calls, platform.calls);
    }
}

TEST(ShowText, ReplacesAnOlderFileAndNeverShowsOneItCouldNotWrite) {
    TempDir dir;
    test::WriteBytes(dir.Path() / "tmp000.txt", "an older and much longer log text");
    FakeViewerPlatform platform(dir.Folder() + u"/");
    platform.shellResult = 42;
    EXPECT_TRUE(ShowTextWith(platform, u"new log\r\n", u".txt").written);
    EXPECT_EQ("new log\r\n", test::ReadBytes(dir.Path() / "tmp000.txt"));

    std::filesystem::create_directory(dir.Path() / "tmp000.log");
    platform.calls.clear();
    const ShowTextOutcome outcome = ShowTextWith(platform, u"text", u".log");
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(Viewer::kNone, outcome.viewer);
    EXPECT_TRUE(platform.calls.empty());
}

}  // namespace
}  // namespace velmora
