// What the manager's shell services decide: a task shortcut's title, file name and target, the
// export of a task into an INI file, and the order in which the log viewer tries to open a file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

using PathPredicate = std::function<bool(const std::u16string& path)>;

// The title of a task's shortcut from its row: the Task text, and one blank and the Comment when
// there is one. The row keeps an empty value as one blank, so a text of blanks only counts as none.
std::u16string ShortcutTitle(std::u16string_view taskText, std::u16string_view commentText);
// The title up to the first character that cannot stand in a file name of the folder.
std::u16string CutShortcutTitle(std::u16string_view title);
// "<folder>\<cut title>".
std::u16string ShortcutBasePath(std::u16string_view folder, std::u16string_view title);
// The first name that is not taken: "<base>.lnk", then "<base>(1).lnk", "<base>(2).lnk"…; none
// when even the last number tried is taken.
std::optional<std::u16string> FreeShortcutPath(const std::u16string& basePath, const PathPredicate& taken);
constexpr int kLastShortcutNumber = 9999;

// The program a task's shortcut starts: the executor installed beside the manager, by its full
// path; the bare "quenex" only when it is not there.
std::u16string ShortcutTarget(std::u16string_view managerPath, const PathPredicate& fileExists);

// A registered open command cut where its file argument begins: at '"%1"', else at a bare %1, else
// the whole command.
std::u16string CutOpenCommand(std::u16string_view command);
// The command line that opens `path` with a registered open command; none when nothing is left of
// the command once its file argument is cut off.
std::optional<std::u16string> ViewerCommandLine(std::u16string_view openCommand, std::u16string_view path);
std::u16string QuotedPath(std::u16string_view path);

// Export of one task into an INI file.
enum class ExportOutcome {
    kNoTask,      // no task was named: nothing to do
    kUnreadable,  // the task file cannot be read: nothing is exported
    kCancelled,   // the user cancelled the file dialog, or did not want passwords in clear text
    kNotWritten,  // the INI file could not be written
    kExported,
};
struct ExportResult {
    ExportOutcome outcome = ExportOutcome::kNoTask;
    std::u16string path;  // the INI file chosen, when one was
};
// Reads the whole task file into a fresh record before anything is asked, so an unreadable task is
// never exported as an empty one; a task with passwords asks `allowClearPasswords` first, since the
// INI form holds them in clear text; then asks for the path and writes the INI form there.
ExportResult ExportTaskFile(const std::u16string& folder, const std::u16string& bareName,
                            const std::function<std::optional<std::u16string>()>& askPath,
                            const std::function<bool()>& allowClearPasswords);

// What the log viewer needs of the system.
class ViewerPlatform {
public:
    virtual ~ViewerPlatform() = default;
    // Whether this process runs with rights that the user's other programs lack (an elevated
    // administrator's); true when that cannot be told.
    virtual bool Elevated() = 0;
    // A number from the system's cryptographic generator, for a file name nobody can foresee.
    virtual std::uint64_t RandomNumber() = 0;
    // The user's temporary folder, ending with a separator.
    virtual std::u16string TempFolder() = 0;
    // Opens the file with the shell's "open" verb in a normal window; above 32 is success.
    virtual std::intptr_t ShellOpen(const std::u16string& path) = 0;
    // The open command registered for the ending, with its environment variables expanded.
    virtual std::optional<std::u16string> OpenCommand(const std::u16string& ending) = 0;
    // The system folder, without a final separator.
    virtual std::u16string SystemFolder() = 0;
    // Starts a program in a normal window; an empty `application` lets the command line name it.
    virtual bool StartProgram(const std::u16string& application, const std::u16string& commandLine) = 0;
};

enum class Viewer { kNone, kShell, kRegistered, kNotepad };
struct ShowTextOutcome {
    bool written = false;           // the file holds the whole text
    std::u16string path;            // the file written
    std::intptr_t shellResult = 0;  // the shell's result of the first attempt; 0 when not tried
    Viewer viewer = Viewer::kNone;  // what was started
};

// The file the viewer shows: "velmora-log-", sixteen hexadecimal digits and the ending.
std::u16string ViewedFileName(std::uint64_t number, std::u16string_view ending);
// Whether a name is one of ViewedFileName's (any number, an ending of letters and digits).
bool IsViewedFileName(std::u16string_view name);
constexpr int kViewedFileAttempts = 16;

// Writes the text to a new file of a fresh name in the temporary folder, made so that only its
// maker, the system and the administrators may open it, and opens it. An elevated manager opens it
// with the system's Notepad by its full path alone: the shell and the registered command follow
// the user's own file associations, which the user's programs can change, and would run what they
// name with the manager's rights. Otherwise: the shell, else the registered open command, else the
// system's Notepad. A file that could not be written whole is never opened, and a name that is
// taken is never written (it may be anyone's link): the next fresh name is tried.
ShowTextOutcome ShowTextWith(ViewerPlatform& platform, std::u16string_view text, const std::u16string& ending);

}  // namespace velmora
