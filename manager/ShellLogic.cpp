// Shortcut names and targets, the export of a task, and the log viewer's order of attempts.
#include "manager/ShellLogic.h"

#include "model/TaskParams.h"
#include "model/TextFile.h"
#include "model/Text.h"

namespace velmora {
namespace {

bool IsBlank(std::u16string_view text) {
    return text.find_first_not_of(u' ') == std::u16string_view::npos;
}

// Besides the characters that no file name may hold, a backslash or slash would lead the path
// into another folder (with ".." even out of the desktop) and a quotation mark or a control
// character makes a name the file system refuses.
bool EndsShortcutTitle(char16_t c) {
    return c < 0x20 || std::u16string_view(u":*?<>|\\/\"").find(c) != std::u16string_view::npos;
}

}  // namespace

std::u16string ShortcutTitle(std::u16string_view taskText, std::u16string_view commentText) {
    std::u16string title = IsBlank(taskText) ? std::u16string() : std::u16string(taskText);
    if (!IsBlank(commentText)) {
        if (!title.empty())
            title += u' ';
        title += commentText;
    }
    return title;
}

std::u16string CutShortcutTitle(std::u16string_view title) {
    std::size_t end = 0;
    while (end < title.size() && !EndsShortcutTitle(title[end]))
        ++end;
    return std::u16string(title.substr(0, end));
}

std::u16string ShortcutBasePath(std::u16string_view folder, std::u16string_view title) {
    std::u16string path(folder);
    if (path.empty() || path.back() != u'\\')
        path += u'\\';
    return path + CutShortcutTitle(title);
}

std::optional<std::u16string> FreeShortcutPath(const std::u16string& basePath, const PathPredicate& taken) {
    for (int number = 0; number <= kLastShortcutNumber; ++number) {
        std::u16string path = basePath;
        if (number > 0)
            path += u"(" + DecimalText(number) + u")";
        path += u".lnk";
        if (!taken(path))
            return path;
    }
    return std::nullopt;
}

std::u16string ShortcutTarget(std::u16string_view managerPath, const PathPredicate& fileExists) {
    const std::size_t slash = managerPath.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos) {
        std::u16string beside(managerPath.substr(0, slash + 1));
        beside += u"quenex.exe";
        if (fileExists(beside))
            return beside;
    }
    return u"quenex";
}

std::u16string CutOpenCommand(std::u16string_view command) {
    std::size_t cut = command.find(u"\"%1\"");
    if (cut == std::u16string_view::npos)
        cut = command.find(u"%1");
    return std::u16string(command.substr(0, cut));
}

std::optional<std::u16string> ViewerCommandLine(std::u16string_view openCommand, std::u16string_view path) {
    std::u16string program = CutOpenCommand(openCommand);
    const std::size_t last = program.find_last_not_of(u' ');
    if (last == std::u16string::npos)
        return std::nullopt;
    program.resize(last + 1);
    return program + u' ' + QuotedPath(path);
}

std::u16string QuotedPath(std::u16string_view path) {
    return u"\"" + std::u16string(path) + u"\"";
}

std::u16string FillIn(std::u16string text, const std::vector<std::u16string>& fillIns) {
    std::size_t from = 0;
    for (const std::u16string& fillIn : fillIns) {
        const std::size_t at = text.find(u"%s", from);
        if (at == std::u16string::npos)
            break;
        text.replace(at, 2, fillIn);
        from = at + fillIn.size();
    }
    return text;
}

ExportResult ExportTaskFile(const std::u16string& folder, const std::u16string& bareName,
                            const std::function<std::optional<std::u16string>()>& askPath,
                            const std::function<bool()>& allowClearPasswords) {
    ExportResult result;
    if (bareName.empty())
        return result;
    CTaskParams record;
    if (!record.Load(folder, bareName, true)) {
        result.outcome = ExportOutcome::kUnreadable;
        return result;
    }
    const bool passwords = std::any_of(record.computers.begin(), record.computers.end(), [](const ComputerEntry& e) {
        return !e[kTextPassword].empty() || !e[kTextWolPassword].empty();
    });
    if (passwords && !allowClearPasswords()) {
        result.outcome = ExportOutcome::kCancelled;
        return result;
    }
    const std::optional<std::u16string> path = askPath();
    if (!path) {
        result.outcome = ExportOutcome::kCancelled;
        return result;
    }
    result.path = *path;
    result.outcome = record.ExportIni(*path) ? ExportOutcome::kExported : ExportOutcome::kNotWritten;
    return result;
}

ShowTextOutcome ShowTextWith(ViewerPlatform& platform, std::u16string_view text, const std::u16string& ending) {
    ShowTextOutcome outcome;
    outcome.path = platform.TempFolder() + u"tmp000" + ending;
    {
        CTextFileWrite writer(outcome.path, kEncodingCodePage);
        writer.Write(text);
        outcome.written = writer.Close();
    }
    if (!outcome.written)
        return outcome;

    outcome.shellResult = platform.ShellOpen(outcome.path);
    if (outcome.shellResult > 32) {
        outcome.viewer = Viewer::kShell;
        return outcome;
    }
    if (const std::optional<std::u16string> command = platform.OpenCommand(ending)) {
        const std::optional<std::u16string> commandLine = ViewerCommandLine(*command, outcome.path);
        if (commandLine && platform.StartProgram(u"", *commandLine)) {
            outcome.viewer = Viewer::kRegistered;
            return outcome;
        }
    }
    const std::u16string notepad = platform.SystemFolder() + u"\\notepad.exe";
    if (platform.StartProgram(notepad, QuotedPath(notepad) + u' ' + QuotedPath(outcome.path)))
        outcome.viewer = Viewer::kNotepad;
    return outcome;
}

}  // namespace velmora
