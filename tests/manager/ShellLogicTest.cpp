// Shortcut titles, names and targets, the open command's cut and the log viewer's order of attempts.
#include "manager/ShellLogic.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using Texts = std::vector<std::u16string>;

TEST(ShortcutName, TitleFromTheRowCutAtTheFirstCharacterThatCannotStandInTheName) {
    const struct {
        std::u16string task, comment, base;
    } cases[] = {
        {u"Shutdown", u"nightly", u"Shutdown nightly"},
        {u"Shutdown", u" ", u"Shutdown"},  // the row keeps an empty comment as one blank
        {u" ", u"nightly", u"nightly"},    // a row whose task file cannot be read
        {u"Shutdown", u"at 22:30", u"Shutdown at 22"},
        {u"Reboot", u"*now? <b>|", u"Reboot "},
        {u"Lock", u"..\\..\\Windows\\x", u"Lock .."},  // never a path into another folder
        {u"Lock", u"a/b", u"Lock a"},
        {u"Popup", u"say \"hi\"", u"Popup say "},
        {u"Popup", u"tab\there", u"Popup tab"},
        {u"Wakeup", u"(\u00e9t\u00e9) #1 & 50%", u"Wakeup (\u00e9t\u00e9) #1 & 50%"},
        {u" ", u":x", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.comment.begin(), c.comment.end()));
        EXPECT_EQ(u"C:\\Desktop\\" + c.base, ShortcutBasePath(u"C:\\Desktop", ShortcutTitle(c.task, c.comment)));
    }
    EXPECT_EQ(u"D:\\Shutdown", ShortcutBasePath(u"D:\\", u"Shutdown"));
}

TEST(ShortcutName, NumberedWhileTheNameIsTaken) {
    const std::u16string b = u"C:\\D\\Shutdown nightly";
    const struct {
        std::set<std::u16string> taken;
        std::u16string expected;
    } cases[] = {{{}, b + u".lnk"},
                 {{b + u".lnk"}, b + u"(1).lnk"},
                 {{b + u".lnk", b + u"(1).lnk"}, b + u"(2).lnk"},
                 {{b + u"(1).lnk"}, b + u".lnk"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, FreeShortcutPath(b, [&](const std::u16string& p) { return c.taken.count(p) > 0; }));
    Texts asked;
    EXPECT_EQ(std::nullopt, FreeShortcutPath(b, [&](const std::u16string& p) { return asked.push_back(p), true; }));
    EXPECT_EQ(static_cast<std::size_t>(kLastShortcutNumber + 1), asked.size());
}

TEST(ShortcutTarget, TheExecutorBesideTheManagerByItsFullPath) {
    Texts asked;
    auto exists = [&](bool answer) {
        return [&, answer](const std::u16string& p) { return asked.push_back(p), answer; };
    };
    EXPECT_EQ(u"C:\\Velmora\\quenex.exe", ShortcutTarget(u"C:\\Velmora\\Velmora.exe", exists(true)));
    EXPECT_EQ(u"quenex", ShortcutTarget(u"C:\\Velmora\\Velmora.exe", exists(false)));
    EXPECT_EQ((Texts{u"C:\\Velmora\\quenex.exe", u"C:\\Velmora\\quenex.exe"}), asked);
}

TEST(OpenCommand, CutWhereTheFileArgumentBeginsAndTheFileQuoted) {
    const std::u16string file = u"C:\\Users\\Ann Lee\\tmp000.txt";
    const struct {
        std::u16string command, cut;
        std::optional<std::u16string> line;
    } cases[] = {
        {u"\"C:\\My Ed\\ed.exe\" \"%1\" /x", u"\"C:\\My Ed\\ed.exe\" ", u"\"C:\\My Ed\\ed.exe\" \"" + file + u"\""},
        {u"notepad.exe %1", u"notepad.exe ", u"notepad.exe \"" + file + u"\""},
        {u"notepad.exe", u"notepad.exe", u"notepad.exe \"" + file + u"\""},
        {u"ed.exe %1 \"%1\"", u"ed.exe %1 ", u"ed.exe %1 \"" + file + u"\""},  // the quoted form first
        {u"\"%1\" %*", u"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command.begin(), c.command.end()));
        EXPECT_EQ(c.cut, CutOpenCommand(c.command));
        EXPECT_EQ(c.line, ViewerCommandLine(c.command, file));
    }
}

// Records every attempt and answers from a script.
struct FakeViewer : ViewerPlatform {
    FakeViewer(std::u16string t, std::intptr_t s, std::optional<std::u16string> c = {}, std::vector<bool> b = {})
        : temp(std::move(t)), shell(s), command(std::move(c)), starts(std::move(b)) {}
    bool Elevated() override { return elevated; }
    std::uint64_t RandomNumber() override {
        const std::uint64_t number = numbers.empty() ? 0x0123456789abcdefu : numbers.front();
        if (!numbers.empty())
            numbers.erase(numbers.begin());
        return number;
    }
    std::u16string TempFolder() override { return temp; }
    std::intptr_t ShellOpen(const std::u16string& path) override { return calls.push_back(u"shell " + path), shell; }
    std::optional<std::u16string> OpenCommand(const std::u16string& e) override {
        return calls.push_back(u"registry " + e), command;
    }
    std::u16string SystemFolder() override { return u"C:\\W\\system32"; }
    bool StartProgram(const std::u16string& application, const std::u16string& line) override {
        calls.push_back(u"start [" + application + u"] " + line);
        const bool ok = !starts.empty() && starts.front();
        if (!starts.empty())
            starts.erase(starts.begin());
        return ok;
    }
    std::u16string temp;
    std::intptr_t shell = 0;
    std::optional<std::u16string> command;
    std::vector<bool> starts;
    bool elevated = false;
    std::vector<std::uint64_t> numbers;
    Texts calls;
};

TEST(ShowText, TriesTheShellThenTheRegisteredCommandThenNotepadAndAnElevatedManagerNotepadAlone) {
    test::TempDir dir;
    const std::u16string file = dir.Folder() + u"/velmora-log-0123456789abcdef.txt", quoted = u"\"" + file + u"\"";
    const std::u16string shell = u"shell " + file, registry = u"registry .txt";
    const std::u16string notepad = u"start [C:\\W\\system32\\notepad.exe] \"C:\\W\\system32\\notepad.exe\" " + quoted;
    const struct {
        bool elevated;
        std::intptr_t shell;
        std::optional<std::u16string> command;
        std::vector<bool> starts;
        Viewer viewer;
        Texts calls;
    } cases[] = {
        {false, 33, u"ed.exe %1", {}, Viewer::kShell, {shell}},
        {false,
         31,
         u"\"C:\\ed.exe\" \"%1\"",
         {true},
         Viewer::kRegistered,
         {shell, registry, u"start [] \"C:\\ed.exe\" " + quoted}},
        {false, 32, std::nullopt, {true}, Viewer::kNotepad, {shell, registry, notepad}},
        {false,
         0,
         u"ed.exe %1",
         {false, true},
         Viewer::kNotepad,
         {shell, registry, u"start [] ed.exe " + quoted, notepad}},
        {false, 2, u"\"%1\"", {true}, Viewer::kNotepad, {shell, registry, notepad}},
        {false, 2, std::nullopt, {false}, Viewer::kNone, {shell, registry, notepad}},
        // The user's associations are never asked for a manager with more rights than the user's
        // programs: a program of theirs would run with those rights.
        {true, 33, u"ed.exe %1", {true}, Viewer::kNotepad, {notepad}},
        {true, 33, u"ed.exe %1", {false}, Viewer::kNone, {notepad}},
    };
    for (const auto& c : cases) {
        FakeViewer viewer(dir.Folder() + u"/", c.shell, c.command, c.starts);
        viewer.elevated = c.elevated;
        const ShowTextOutcome outcome = ShowTextWith(viewer, u"run 1\r\nrun 2", u".txt");
        EXPECT_TRUE(outcome.written);
        EXPECT_EQ(file, outcome.path);
        EXPECT_EQ(c.viewer, outcome.viewer);
        EXPECT_EQ(c.calls, viewer.calls);
        EXPECT_EQ("run 1\r\nrun 2", test::ReadBytes(dir.Path() / "velmora-log-0123456789abcdef.txt"));
        std::filesystem::remove(dir.Path() / "velmora-log-0123456789abcdef.txt");
    }
}

// Every view has a name of its own; a name that is there already, be it a file, a folder or a link
// someone planted, is left as it is and the next fresh name is taken.
TEST(ShowText, EveryViewWritesANewFileAndATakenNameIsLeftAlone) {
    test::TempDir dir;
    test::WriteBytes(dir.Path() / "velmora-log-0000000000000001.txt", "planted");
    std::filesystem::create_directory(dir.Path() / "velmora-log-0000000000000002.txt");
    FakeViewer viewer(dir.Folder() + u"/", 33);
    viewer.numbers = {1, 2, 3, 3, 4};
    const ShowTextOutcome first = ShowTextWith(viewer, u"first", u".txt");
    const ShowTextOutcome second = ShowTextWith(viewer, u"second", u".txt");
    ASSERT_TRUE(first.written && second.written);
    EXPECT_EQ(dir.Folder() + u"/velmora-log-0000000000000003.txt", first.path);
    EXPECT_EQ(dir.Folder() + u"/velmora-log-0000000000000004.txt", second.path);
    EXPECT_EQ("planted", test::ReadBytes(dir.Path() / "velmora-log-0000000000000001.txt"));
    EXPECT_EQ("first", test::ReadBytes(dir.Path() / "velmora-log-0000000000000003.txt"));
    EXPECT_EQ("second", test::ReadBytes(dir.Path() / "velmora-log-0000000000000004.txt"));

    // A folder where nothing can be written: a few names are tried, nothing is opened.
    FakeViewer nowhere(dir.Folder() + u"/missing/", 33);
    const ShowTextOutcome none = ShowTextWith(nowhere, u"text", u".log");
    EXPECT_FALSE(none.written);
    EXPECT_TRUE(nowhere.calls.empty());
    EXPECT_EQ(kViewedFileAttempts, 16);
}

TEST(ShowText, ViewedFileNamesAreKnownAgainForTheirRemoval) {
    EXPECT_EQ(u"velmora-log-00000000000000ff.txt", ViewedFileName(255, u".txt"));
    EXPECT_EQ(u"velmora-log-ffffffffffffffff.txt", ViewedFileName(~std::uint64_t{0}, u".txt"));
    const std::pair<std::u16string, bool> names[] = {
        {u"velmora-log-0123456789abcdef.txt", true},
        {u"velmora-log-0123456789abcdef.log", true},
        {u"velmora-log-0123456789ABCDEF.txt", false},
        {u"velmora-log-0123456789abcde.txt", false},
        {u"velmora-log-0123456789abcdef", false},
        {u"velmora-log-0123456789abcdef.", false},
        {u"velmora-log-0123456789abcdef.txt.lnk", false},
        {u"velmora-log-0123456789abcdefa.txt", false},
        {u"tmp000.txt", false},
        {u"notes.txt", false},
    };
    for (const auto& [name, viewed] : names)
        EXPECT_EQ(viewed, IsViewedFileName(name)) << std::string(name.begin(), name.end());
}

}  // namespace
}  // namespace velmora
