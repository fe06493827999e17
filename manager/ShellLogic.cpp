// Shortcut names and targets, the export of a task, and the log viewer's order of attempts.
#include "manager/ShellLogic.h"

#include <algorithm>

#include "model/File.h"
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

std::u16string ViewedFileName(std::uint64_t number, std::u16string_view ending) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    std::u16string name = u"velmora-log-";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += kDigits[(number >> shift) & 0xF];
    return name + std::u16string(ending);
}

bool IsViewedFileName(std::u16string_view name) {
    constexpr std::u16string_view kPrefix = u"velmora-log-";
    if (!name.starts_with(kPrefix) || name.size() < kPrefix.size() + 18)
        return false;
    const std::u16string_view digits = name.substr(kPrefix.size(), 16);
    const std::u16string_view ending = name.substr(kPrefix.size() + 16);
    const auto hex = [](char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); };
    const auto alnum = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    };
    return std::all_of(digits.begin(), digits.end(), hex) && ending[0] == u'.' &&
           std::all_of(ending.begin() + 1, ending.end(), alnum);
}

ShowTextOutcome ShowTextWith(ViewerPlatform& platform, std::u16string_view text, const std::u16string& ending) {
    ShowTextOutcome outcome;
    const std::u16string folder = platform.TempFolder();
    for (int attempt = 0; attempt < kViewedFileAttempts; ++attempt) {
        outcome.path = folder + ViewedFileName(platform.RandomNumber(), ending);
        File file = File::CreateNewProtected(outcome.path);
        if (!file.IsOpen())
            continue;  // taken, by a file, a folder or anyone's link: never written, never deleted
        CTextFileWrite writer(file, kEncodingCodePage);
        writer.Write(text);
        const bool written = writer.Close();
        outcome.written = file.Close() && written;
        if (!outcome.written)
            DeleteFileAt(outcome.path);  // a part of the text would pass for the whole
        break;
    }
    if (!outcome.written)
        return outcome;

    const std::u16string notepad = platform.SystemFolder() + u"\\notepad.exe";
    if (platform.Elevated()) {
        if (platform.StartProgram(notepad, QuotedPath(notepad) + u' ' + QuotedPath(outcome.path)))
            outcome.viewer = Viewer::kNotepad;
        return outcome;
    }
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
    if (platform.StartProgram(notepad, QuotedPath(notepad) + u' ' + QuotedPath(outcome.path)))
        outcome.viewer = Viewer::kNotepad;
    return outcome;
}

}  // namespace velmora
