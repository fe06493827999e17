// The shell services under Wine: shortcuts on the test prefix's desktop, the log file in the
// temporary folder, the registered open command, and export and import through the real dialogs.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "manager/win/Shell.h"
#include "manager/win/res/ShellIds.h"
#include "model/TaskParams.h"
#include "platform/win/Com.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

std::wstring W(const std::u16string& text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.c_str()), text.size());
}
std::u16string U(const std::wstring& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.c_str()), text.size());
}

// The desktop, when it is a real folder of the test prefix. An untouched Wine prefix links its
// desktop to the user's home folder, and a test never writes there.
::testing::AssertionResult DesktopOfTheTestPrefix(std::wstring& desktop) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOP, nullptr, SHGFP_TYPE_CURRENT, path)))
        return ::testing::AssertionFailure() << "no desktop folder";
    desktop = path;
    char prefix[1024] = {};
    const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
    if (length == 0 || length >= sizeof(prefix))
        return ::testing::AssertionFailure() << "not run in the test prefix (WINEPREFIX is not set)";
    std::string root(prefix, length);
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    using UnixName = char*(CDECL*)(const wchar_t*);
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(found));
    if (!unixName)
        return ::testing::AssertionFailure() << "not run under Wine";
    char* name = unixName(path);
    const std::string unixPath = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    if (unixPath.rfind(root + "/", 0) != 0)
        return ::testing::AssertionFailure() << "the desktop " << unixPath << " is outside the prefix " << root;
    // Wine reports a link to another folder as a reparse point: every folder on the way must be real.
    std::size_t at = 2;  // after the drive
    do {
        at = desktop.find(L'\\', at + 1);
        const DWORD attributes = ::GetFileAttributesW(desktop.substr(0, at).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return ::testing::AssertionFailure() << "a folder on the way to the desktop is a link: " << unixPath;
    } while (at != std::wstring::npos);
    return ::testing::AssertionSuccess();
}

struct Link {
    std::wstring path, arguments, description;
};

Link ReadLink(const std::u16string& file) {
    Link link;
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> persist;
    EXPECT_HRESULT_SUCCEEDED(
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.put_void()));
    if (!shellLink || FAILED(shellLink.As(IID_IPersistFile, persist)) ||
        FAILED(persist->Load(reinterpret_cast<const wchar_t*>(file.c_str()), STGM_READ)))
        return link;
    wchar_t text[INFOTIPSIZE] = {};
    if (SUCCEEDED(shellLink->GetPath(text, MAX_PATH, nullptr, 0)))
        link.path = text;
    if (SUCCEEDED(shellLink->GetArguments(text, INFOTIPSIZE)))
        link.arguments = text;
    if (SUCCEEDED(shellLink->GetDescription(text, INFOTIPSIZE)))
        link.description = text;
    return link;
}

// Files and folders a test made outside its own temporary folder, removed when it ends.
struct Leftovers {
    std::vector<std::wstring> files, folders;
    ~Leftovers() {
        for (const auto& file : files)
            ::DeleteFileW(file.c_str());
        for (const auto& folder : folders)
            ::RemoveDirectoryW(folder.c_str());
    }
};

class ShellTest : public ::testing::Test {
protected:
    MessageBoxFn RecordMessages() {
        return [this](const std::wstring& text, UINT) {
            messages_.push_back(text);
            return IDOK;
        };
    }

    ComInit com_;
    std::vector<std::wstring> messages_;
};

TEST_F(ShellTest, EveryMessageHasItsText) {
    for (UINT id : {IDS_SHELL_EXPORT_UNREADABLE, IDS_SHELL_EXPORT_NOT_WRITTEN, IDS_SHELL_LOG_NOT_WRITTEN,
                    IDS_SHELL_SHORTCUT_FAILED}) {
        EXPECT_FALSE(LoadResourceString(id).empty()) << id;
    }
    EXPECT_NE(std::wstring::npos, LoadResourceString(IDS_SHELL_EXPORT_NOT_WRITTEN).find(L"%s"));
    EXPECT_NE(std::wstring::npos, LoadResourceString(IDS_SHELL_LOG_NOT_WRITTEN).find(L"%s"));
}

TEST_F(ShellTest, ASecondShortcutIsNumberedAndEveryOneStartsTheExecutorWithTheTask) {
    std::wstring desktop;
    ASSERT_TRUE(DesktopOfTheTestPrefix(desktop));
    const std::u16string base = U(desktop) + u"\\Shutdown nightly";
    const std::u16string cut = U(desktop) + u"\\Shutdown at 22.lnk";
    Leftovers made;
    for (const auto& file : {base + u".lnk", base + u"(1).lnk", cut}) {
        made.files.push_back(W(file));
        ::DeleteFileW(W(file).c_str());  // from an earlier run that did not end
    }

    std::u16string first, second, third;
    ASSERT_HRESULT_SUCCEEDED(CreateTaskShortcut(u"quenep-0a1b2c3d", u"Shutdown", u"nightly", RecordMessages(), &first));
    ASSERT_HRESULT_SUCCEEDED(
        CreateTaskShortcut(u"quenep-0a1b2c3d", u"Shutdown", u"nightly", RecordMessages(), &second));
    ASSERT_HRESULT_SUCCEEDED(CreateTaskShortcut(u"quenep-0e5f", u"Shutdown", u"at 22:30", RecordMessages(), &third));
    EXPECT_EQ(base + u".lnk", first);
    EXPECT_EQ(base + u"(1).lnk", second);
    EXPECT_EQ(cut, third);
    EXPECT_TRUE(messages_.empty());

    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring executor = (std::filesystem::path(program).parent_path() / L"quenex.exe").wstring();
    for (const auto& file : {first, second}) {
        const Link link = ReadLink(file);
        EXPECT_EQ(0, ::lstrcmpiW(executor.c_str(), link.path.c_str())) << link.path;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(link.path.c_str())) << link.path;
        EXPECT_EQ(L"quenep-0a1b2c3d", link.arguments);
        EXPECT_EQ(L"Velmora Lite", link.description);
    }
    EXPECT_EQ(L"quenep-0e5f", ReadLink(third).arguments);

    EXPECT_TRUE(FAILED(CShell::CreateShortcut(u"quenex", u"x", u"Velmora Lite", u"none", 0x7E)));
}

// Opens nothing: the attempts are recorded; the folders and the registry are the system's.
class RecordingViewer : public SystemViewerPlatform {
public:
    explicit RecordingViewer(bool realShell) : realShell_(realShell) {}
    std::intptr_t ShellOpen(const std::u16string& path) override {
        return realShell_ ? SystemViewerPlatform::ShellOpen(path) : 31;
    }
    bool StartProgram(const std::u16string& application, const std::u16string& commandLine) override {
        started.push_back({W(application), W(commandLine)});
        return true;
    }
    std::vector<std::pair<std::wstring, std::wstring>> started;

private:
    bool realShell_;
};

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, path);
    return path;
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

TEST_F(ShellTest, TheLogIsWrittenToTmp000InTheTemporaryFolder) {
    const std::wstring file = TempFolder() + L"tmp000.txt";
    Leftovers made{{file}, {}};
    RecordingViewer viewer(false);
    const ShowTextOutcome outcome = ShowTextWith(viewer, u"Mon 10:00 Shutdown\r\nMon 11:00 Popup", u".txt");
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(file, W(outcome.path));
    EXPECT_EQ("Mon 10:00 Shutdown\r\nMon 11:00 Popup", test::ReadBytes(std::filesystem::path(file)));
    EXPECT_NE(Viewer::kNone, outcome.viewer);
    EXPECT_EQ(1u, viewer.started.size());
}

TEST_F(ShellTest, AnUnknownEndingFallsBackToTheSystemsNotepad) {
    const std::wstring file = TempFolder() + L"tmp000.vlmnone";
    Leftovers made{{file}, {}};
    RecordingViewer viewer(true);  // the shell knows no program for the ending and starts none
    const ShowTextOutcome outcome = ShowTextWith(viewer, u"log", u".vlmnone");
    EXPECT_TRUE(outcome.written);
    EXPECT_LE(outcome.shellResult, 32);
    EXPECT_EQ(Viewer::kNotepad, outcome.viewer);
    const std::wstring notepad = SystemFolder() + L"\\notepad.exe";
    ASSERT_EQ(1u, viewer.started.size());
    EXPECT_EQ(notepad, viewer.started[0].first);
    EXPECT_EQ(L"\"" + notepad + L"\" \"" + file + L"\"", viewer.started[0].second);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(notepad.c_str()));
}

TEST_F(ShellTest, TheRegisteredOpenCommandIsExpandedCutAndGetsTheQuotedPath) {
    const wchar_t* type = L"Velmora.TestLog";
    struct Keys {
        ~Keys() {
            ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".vlmtest");
            ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Velmora.TestLog");
        }
    } keys;
    const std::wstring command = L"\"%SystemRoot%\\system32\\notepad.exe\" \"%1\" /x";
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CLASSES_ROOT, L".vlmtest", nullptr, REG_SZ, type,
                                               static_cast<DWORD>((::wcslen(type) + 1) * sizeof(wchar_t))));
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Velmora.TestLog\\shell\\open\\command", nullptr, REG_EXPAND_SZ,
                                command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))));
    wchar_t windows[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH);
    const std::wstring program = std::wstring(L"\"") + windows + L"\\system32\\notepad.exe\"";

    RecordingViewer viewer(false);
    const auto found = viewer.OpenCommand(u".vlmtest");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(program + L" \"%1\" /x", W(*found));

    const std::wstring file = TempFolder() + L"tmp000.vlmtest";
    Leftovers made{{file}, {}};
    const ShowTextOutcome outcome = ShowTextWith(viewer, u"log", u".vlmtest");
    EXPECT_EQ(Viewer::kRegistered, outcome.viewer);
    ASSERT_EQ(1u, viewer.started.size());
    EXPECT_EQ(L"", viewer.started[0].first);
    EXPECT_EQ(program + L" \"" + file + L"\"", viewer.started[0].second);
}

TEST_F(ShellTest, ALogThatCannotBeWrittenIsToldAndNothingIsShown) {
    const std::wstring file = TempFolder() + L"tmp000.txt";
    ::DeleteFileW(file.c_str());
    ASSERT_TRUE(::CreateDirectoryW(file.c_str(), nullptr));
    Leftovers made{{}, {file}};
    const ShowTextOutcome outcome = ShowTaskLog(u"a log", RecordMessages());
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(Viewer::kNone, outcome.viewer);
    ASSERT_EQ(1u, messages_.size());
    std::wstring expected = LoadResourceString(IDS_SHELL_LOG_NOT_WRITTEN);
    expected.replace(expected.find(L"%s"), 2, file);
    EXPECT_EQ(expected, messages_[0]);
}

// Answers the next file dialog of this thread from another thread, as a user would: notes what it
// proposes, types `fileName` and presses OK (Cancel when `fileName` is empty).
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(std::wstring fileName)
        : fileName_(std::move(fileName)), dialogThread_(::GetCurrentThreadId()), thread_([this] { Answer(); }) {}
    ~FileDialogAnswer() { Finish(); }
    void Finish() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    bool shown = false;
    HWND owner = nullptr;
    std::wstring proposed;
    std::vector<std::wstring> filters;

private:
    static BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (::IsWindowVisible(window) && std::wstring(className) == L"#32770") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    static std::wstring Text(HWND window) {
        wchar_t text[MAX_PATH] = {};
        ::SendMessageW(window, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
        return text;
    }

    void Answer() {
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && !dialog && !stop_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::EnumThreadWindows(dialogThread_, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        }
        if (!dialog)
            return;
        shown = true;
        owner = ::GetWindow(dialog, GW_OWNER);
        HWND name = ::GetDlgItem(dialog, cmb13);
        if (!name)
            name = ::GetDlgItem(dialog, edt1);
        proposed = Text(name);
        const HWND types = ::GetDlgItem(dialog, cmb1);
        const LRESULT count = ::SendMessageW(types, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[MAX_PATH] = {};
            ::SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            filters.push_back(text);
        }
        if (fileName_.empty()) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName_.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    }

    std::wstring fileName_;
    DWORD dialogThread_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A top-level window standing in for our sheet, with a child standing in for one of its pages.
struct SheetStandIn {
    SheetStandIn()
        : sheet(::CreateWindowExW(0, L"STATIC", L"Velmora LT 3.3.1", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr)),
          page(::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, sheet, nullptr, nullptr, nullptr)) {}
    ~SheetStandIn() { ::DestroyWindow(sheet); }
    HWND sheet;
    HWND page;
};

TEST_F(ShellTest, ExportOfATaskThatCannotBeReadTellsSoAndExportsNothing) {
    TempDir dir;
    SheetStandIn sheet;
    FileDialogAnswer answer(L"");
    EXPECT_EQ(ExportOutcome::kUnreadable, ExportTask(sheet.page, dir.Folder(), u"quenep-0missing", RecordMessages()));
    answer.Finish();
    EXPECT_FALSE(answer.shown);
    EXPECT_EQ(std::vector<std::wstring>{LoadResourceString(IDS_SHELL_EXPORT_UNREADABLE)}, messages_);
}

TEST_F(ShellTest, ExportAndImportThroughTheFileDialogsOwnedByTheSheet) {
    TempDir dir;
    CTaskParams record;
    record.action = kActionPopup;
    record.comment = u"lunch";
    record.message = u"Time to eat\r\nnow";
    record.delay = u"30";
    ASSERT_TRUE(record.Save(dir.Folder(), u"quenep-0abc"));
    SheetStandIn sheet;

    FileDialogAnswer save(W(dir.File("exported")));  // the dialog adds the ending
    EXPECT_EQ(ExportOutcome::kExported, ExportTask(sheet.page, dir.Folder(), u"quenep-0abc", RecordMessages()));
    save.Finish();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(sheet.sheet, save.owner);
    EXPECT_EQ(L"quenep.ini", save.proposed);
    EXPECT_EQ((std::vector<std::wstring>{L"INI Files (*.ini)", L"All Files (*.*)"}), save.filters);
    CTaskParams back;
    ASSERT_TRUE(back.ImportIni(dir.File("exported.ini"), kComputerLimit));
    EXPECT_EQ(kActionPopup, back.action);
    EXPECT_EQ(u"lunch", back.comment);
    EXPECT_EQ(u"Time to eat\r\nnow", back.message);
    EXPECT_EQ(u"30", back.delay);

    FileDialogAnswer open(W(dir.File("exported.ini")));
    const std::optional<std::wstring> chosen = AskImportPath(sheet.page);
    open.Finish();
    EXPECT_EQ(sheet.sheet, open.owner);
    EXPECT_EQ(L"*.ini", open.proposed);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(0, ::lstrcmpiW(W(dir.File("exported.ini")).c_str(), chosen->c_str())) << *chosen;

    FileDialogAnswer cancel(L"");
    EXPECT_FALSE(AskImportPath(sheet.page).has_value());
    cancel.Finish();
    EXPECT_TRUE(cancel.shown);
}

}  // namespace
}  // namespace velmora
