// The shell services under Wine: shortcuts on the test prefix's desktop, the log file, the
// registered open command, and export and import through the real file dialogs.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "manager/win/Shell.h"
#include "manager/ids/ShellServiceIds.h"
#include "model/File.h"
#include "model/TaskParams.h"
#include "platform/win/Com.h"
#include "platform/win/WideText.h"
#include "tests/support/TestSupport.h"
#include "tests/support/win/SheetDriver.h"

namespace velmora {
namespace {

// The desktop, only when it is a real folder of the test prefix: an untouched prefix links it to
// the user's home folder, and a test never writes there.
::testing::AssertionResult DesktopOfTheTestPrefix(std::wstring& desktop) {
    wchar_t path[MAX_PATH] = {};
    char prefix[1024] = {};
    const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, path)) || length == 0 ||
        length >= sizeof(prefix) || !found)
        return ::testing::AssertionFailure() << "no desktop, or not run under Wine in the test prefix";
    desktop = path;
    char* name = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(reinterpret_cast<void (*)()>(found))(path);
    const std::string unixPath = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    std::string root(prefix, length);
    if (root.back() != '/')
        root += '/';
    if (unixPath.rfind(root, 0) != 0)
        return ::testing::AssertionFailure() << "the desktop " << unixPath << " is outside " << root;
    // Wine reports a link to another folder as a reparse point: every folder on the way must be real.
    for (std::size_t at = 2; at != std::wstring::npos;) {
        at = desktop.find(L'\\', at + 1);
        const DWORD attributes = ::GetFileAttributesW(desktop.substr(0, at).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return ::testing::AssertionFailure() << "a folder on the way to the desktop is a link: " << unixPath;
    }
    return ::testing::AssertionSuccess();
}

// Files and folders made outside the test's own temporary folder, removed when it ends.
struct Leftovers {
    std::vector<std::wstring> files, folders;
    ~Leftovers() {
        for (const auto& file : files)
            ::DeleteFileW(file.c_str());
        for (const auto& folder : folders)
            ::RemoveDirectoryW(folder.c_str());
    }
};

std::wstring TempFile(const wchar_t* name) {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, path);
    return std::wstring(path) + name;
}

class ShellTest : public ::testing::Test {
protected:
    MessageBoxFn RecordMessages() {
        return [this](HWND owner, const std::wstring& text, UINT) {
            owners_.push_back(owner);
            return messages_.push_back(text), IDOK;
        };
    }
    ComInit com_;
    std::vector<std::wstring> messages_;
    std::vector<HWND> owners_;
};

TEST_F(ShellTest, EveryMessageHasItsText) {
    for (UINT id : {IDS_SHELL_EXPORT_UNREADABLE, IDS_SHELL_EXPORT_NOT_WRITTEN, IDS_SHELL_LOG_NOT_WRITTEN,
                    IDS_SHELL_SHORTCUT_FAILED})
        EXPECT_FALSE(LoadText(id).empty()) << id;
}

TEST_F(ShellTest, ASecondShortcutIsNumberedAndEachStartsTheExecutorWithTheTask) {
    std::wstring desktop;
    ASSERT_TRUE(DesktopOfTheTestPrefix(desktop));
    const std::wstring base = desktop + L"\\Shutdown nightly";
    Leftovers made{{base + L".lnk", base + L"(1).lnk"}, {}};
    for (const auto& file : made.files)
        ::DeleteFileW(file.c_str());  // from an earlier run that did not end

    std::u16string saved[2];
    for (auto& file : saved)
        ASSERT_HRESULT_SUCCEEDED(
            CreateTaskShortcut(nullptr, u"quenep-0a1b2c", u"Shutdown", u"nightly", RecordMessages(), &file));
    EXPECT_TRUE(messages_.empty());
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring executor = (std::filesystem::path(program).parent_path() / L"quenex.exe").wstring();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(made.files[i], ToWide(saved[i]));
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> file;
        ASSERT_HRESULT_SUCCEEDED(
            ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()));
        ASSERT_HRESULT_SUCCEEDED(link.As(IID_IPersistFile, file));
        ASSERT_HRESULT_SUCCEEDED(file->Load(made.files[i].c_str(), STGM_READ));
        wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, description[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, 0);
        link->GetArguments(arguments, MAX_PATH);
        link->GetDescription(description, MAX_PATH);
        EXPECT_EQ(0, ::lstrcmpiW(executor.c_str(), target)) << target;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(target)) << target;
        EXPECT_STREQ(L"quenep-0a1b2c", arguments);
        EXPECT_STREQ(L"Velmora Lite", description);
    }
}

// Opens nothing: the shell fails and the programs are only recorded; the rest is the system's.
struct RecordingViewer : SystemViewerPlatform {
    bool Elevated() override { return elevated; }
    std::intptr_t ShellOpen(const std::u16string&) override { return ++shellOpens, 31; }
    bool StartProgram(const std::u16string&, const std::u16string& commandLine) override {
        return started.push_back(ToWide(commandLine)), true;
    }
    bool elevated = false;
    int shellOpens = 0;
    std::vector<std::wstring> started;
};

std::u16string LeafOf(const std::u16string& path) {
    return path.substr(path.find_last_of(u'\\') + 1);
}

// A registered file type whose open command names the system's Notepad with an environment
// variable; removed again at the end.
struct TestFileType {
    TestFileType() {
        const std::wstring type = L"Velmora.TestLog", command = L"\"%SystemRoot%\\system32\\notepad.exe\" \"%1\" /x";
        registered =
            ::RegSetKeyValueW(HKEY_CLASSES_ROOT, L".vlmtest", nullptr, REG_SZ, type.c_str(),
                              static_cast<DWORD>((type.size() + 1) * sizeof(wchar_t))) == 0 &&
            ::RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Velmora.TestLog\\shell\\open\\command", nullptr, REG_EXPAND_SZ,
                              command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == 0;
    }
    ~TestFileType() {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".vlmtest");
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Velmora.TestLog");
    }
    bool registered = false;
};

TEST_F(ShellTest, EveryLogGoesToAFreshFileAndARegisteredCommandIsExpanded) {
    RecordingViewer viewer;
    const ShowTextOutcome outcome = ShowTextWith(viewer, u"Mon 10:00 Shutdown\r\nMon 11:00 Popup", u".txt");
    Leftovers made{{ToWide(outcome.path)}, {}};
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(TempFile(L""), ToWide(outcome.path.substr(0, outcome.path.size() - LeafOf(outcome.path).size())));
    EXPECT_TRUE(IsViewedFileName(LeafOf(outcome.path))) << ToWide(outcome.path);
    EXPECT_EQ("Mon 10:00 Shutdown\r\nMon 11:00 Popup", test::ReadBytes(ToWide(outcome.path)));
    const ShowTextOutcome again = ShowTextWith(viewer, u"another", u".txt");
    made.files.push_back(ToWide(again.path));
    EXPECT_NE(outcome.path, again.path) << "every view has a name of its own";

    const TestFileType type;
    ASSERT_TRUE(type.registered);
    wchar_t windows[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH);
    viewer.started.clear();
    const ShowTextOutcome registered = ShowTextWith(viewer, u"log", u".vlmtest");
    made.files.push_back(ToWide(registered.path));
    EXPECT_EQ(Viewer::kRegistered, registered.viewer);
    EXPECT_EQ(std::vector<std::wstring>{L"\"" + std::wstring(windows) + L"\\system32\\notepad.exe\" \"" +
                                        ToWide(registered.path) + L"\""},
              viewer.started);
}

// Wine's processes run with an administrator's full token, as an elevated manager does on Windows:
// the user's file associations are never asked, only the system's Notepad opens the log.
TEST_F(ShellTest, AnElevatedManagerOpensTheLogWithTheSystemsNotepadAlone) {
    EXPECT_TRUE(SystemViewerPlatform().Elevated());
    const TestFileType type;
    ASSERT_TRUE(type.registered);
    RecordingViewer viewer;
    viewer.elevated = true;
    const ShowTextOutcome outcome = ShowTextWith(viewer, u"log", u".vlmtest");
    Leftovers made{{ToWide(outcome.path)}, {}};
    EXPECT_EQ(Viewer::kNotepad, outcome.viewer);
    EXPECT_EQ(0, viewer.shellOpens);
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring notepad = std::wstring(system) + L"\\notepad.exe";
    EXPECT_EQ(std::vector<std::wstring>{L"\"" + notepad + L"\" \"" + ToWide(outcome.path) + L"\""}, viewer.started);
}

TEST_F(ShellTest, ALogThatCannotBeWrittenIsToldAndNothingIsShown) {
    // The temporary folder is the one TMP names; here one that is not there.
    test::TempDir dir;
    const std::wstring missing = ToWide(dir.File("missing"));
    wchar_t old[MAX_PATH] = {};
    const DWORD oldLength = ::GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TMP", missing.c_str()));
    const ShowTextOutcome outcome = ShowTaskLog(nullptr, u"a log", RecordMessages());
    ::SetEnvironmentVariableW(L"TMP", oldLength ? old : nullptr);
    EXPECT_EQ(Viewer::kNone, outcome.viewer);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(0u, ToWide(outcome.path).find(missing + L"\\"));
    std::wstring expected = LoadText(IDS_SHELL_LOG_NOT_WRITTEN);
    expected.replace(expected.find(L"%s"), 2, ToWide(outcome.path));
    EXPECT_EQ(std::vector<std::wstring>{expected}, messages_);
}

// The files of the log viewer go when the manager ends; what a manager that did not end left goes
// at the next start. Nothing else of the folder is touched.
TEST_F(ShellTest, ViewedFilesGoWhenTheManagerEndsAndLeftoversAtTheNextStart) {
    test::TempDir dir;
    const std::u16string folder = dir.Folder() + u"\\";
    test::WriteBytes(dir.Path() / "velmora-log-00000000000000aa.txt", "left by a crash");
    test::WriteBytes(dir.Path() / "velmora-log-notes.txt", "someone's notes");
    test::WriteBytes(dir.Path() / "tmp000.txt", "older manager");
    std::filesystem::create_directory(dir.Path() / "velmora-log-00000000000000bb.txt");
    {
        ViewedFiles viewed(folder);
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "velmora-log-00000000000000aa.txt"));
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / "velmora-log-notes.txt"));
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / "tmp000.txt"));
        EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "velmora-log-00000000000000bb.txt"));
        test::WriteBytes(dir.Path() / "velmora-log-00000000000000cc.txt", "shown now");
        viewed.Add(folder + u"velmora-log-00000000000000cc.txt");
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / "velmora-log-00000000000000cc.txt"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "velmora-log-00000000000000cc.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "velmora-log-notes.txt"));
}

TEST_F(ShellTest, ExportAndImportThroughTheDialogsOfTheSheet) {
    test::TempDir dir;
    CTaskParams record;
    record.action = kActionPopup;
    record.message = u"Time to eat\r\nnow";
    ASSERT_TRUE(record.Save(dir.Folder(), u"quenep-0abc"));
    // A top-level window standing in for our sheet, and a child for the page that asks.
    const HWND sheet =
        ::CreateWindowExW(0, L"STATIC", L"Velmora", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    const HWND page = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 9, 9, sheet, nullptr, nullptr, nullptr);

    test::FileDialogAnswer none(L"");  // an unreadable task is refused before any dialog
    EXPECT_EQ(ExportOutcome::kUnreadable, ExportTask(page, dir.Folder(), u"quenep-0missing", RecordMessages()));
    none.Finish();
    EXPECT_EQ(nullptr, none.dialog);
    EXPECT_EQ(std::vector<std::wstring>{LoadText(IDS_SHELL_EXPORT_UNREADABLE)}, messages_);
    EXPECT_EQ(std::vector<HWND>{sheet}, owners_);

    test::FileDialogAnswer save(ToWide(dir.File("exported")));  // the dialog adds the ending
    EXPECT_EQ(ExportOutcome::kExported, ExportTask(page, dir.Folder(), u"quenep-0abc", RecordMessages()));
    save.Finish();
    EXPECT_EQ(1u, messages_.size());
    EXPECT_EQ(sheet, save.owner);
    EXPECT_EQ(L"quenep.ini", save.proposed);
    CTaskParams back;
    ASSERT_TRUE(back.ImportIni(dir.File("exported.ini"), kComputerLimit));
    EXPECT_EQ(kActionPopup, back.action);
    EXPECT_EQ(u"Time to eat\r\nnow", back.message);

    // A task with passwords asks first, since the INI form holds them in clear text: No stops it
    // before any file dialog.
    CTaskParams remote;
    remote.action = kActionShutdown;
    ComputerEntry computer{};
    computer[kTextName] = u"lab-1";
    computer[kTextPassword] = u"secret";
    remote.computers.push_back(computer);
    ASSERT_TRUE(remote.Save(dir.Folder(), u"quenep-1abc"));
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        messages_.clear();
        test::FileDialogAnswer dialog(ToWide(dir.File("remote")));
        const ExportOutcome outcome =
            ExportTask(page, dir.Folder(), u"quenep-1abc", [&](HWND, const std::wstring& text, UINT flags) {
                messages_.push_back(text);
                EXPECT_EQ(static_cast<UINT>(MB_YESNO), flags & MB_TYPEMASK);
                return answer;
            });
        dialog.Finish();
        EXPECT_EQ(std::vector<std::wstring>{LoadText(IDS_SHELL_EXPORT_CLEAR_PASSWORDS)}, messages_);
        EXPECT_EQ(answer == IDYES ? ExportOutcome::kExported : ExportOutcome::kCancelled, outcome);
        EXPECT_EQ(answer == IDYES, dialog.dialog != nullptr);
    }
    EXPECT_TRUE(FileExists(dir.File("remote.ini")));

    test::FileDialogAnswer open(ToWide(dir.File("exported.ini")));
    const std::optional<std::wstring> chosen = AskImportPath(page);
    open.Finish();
    EXPECT_EQ(sheet, open.owner);
    EXPECT_EQ(L"*.ini", open.proposed);
    EXPECT_EQ(0, ::lstrcmpiW(ToWide(dir.File("exported.ini")).c_str(), chosen.value_or(L"").c_str()));
    ::DestroyWindow(sheet);
}

}  // namespace
}  // namespace velmora
