// Command-line splitting and mode selection.
#include "executor/CommandLine.h"

#include <algorithm>

#include "model/TaskParams.h"
#include "model/Text.h"

namespace velmora {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// The program word follows simpler rules than the arguments: it ends at the closing quote, or at
// the first blank when it is not quoted.
std::u16string_view ProgramWord(std::u16string_view line, std::size_t& end) {
    if (!line.empty() && line.front() == u'"') {
        const std::size_t close = line.find(u'"', 1);
        end = close == std::u16string_view::npos ? line.size() : close + 1;
        return line.substr(1, (close == std::u16string_view::npos ? line.size() : close) - 1);
    }
    end = std::min(line.size(), line.find_first_of(u" \t"));
    return line.substr(0, end);
}

bool NamesProgram(std::u16string_view word, std::u16string_view programName) {
    const std::size_t slash = word.find_last_of(u"\\/");
    std::u16string_view base = slash == std::u16string_view::npos ? word : word.substr(slash + 1);
    if (base.size() > 4 && EqualsIgnoringAsciiCase(base.substr(base.size() - 4), u".exe"))
        base.remove_suffix(4);
    return !programName.empty() && EqualsIgnoringAsciiCase(base, programName);
}

}  // namespace

std::vector<std::u16string> SplitArguments(std::u16string_view line) {
    std::vector<std::u16string> arguments;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            return arguments;
        std::u16string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                // 2n backslashes and a quote: n backslashes and a quote mark; 2n+1: n and a quote.
                argument.append(backslashes / 2, u'\\');
                if (backslashes % 2 == 1) {
                    argument += u'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    argument += u'"';  // "" inside quotes is a literal quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, u'\\');
                if (i < line.size() && (quoted || !IsBlank(line[i])))
                    argument += line[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

std::optional<std::u16string> FirstArgument(std::u16string_view line, std::u16string_view programName) {
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    std::size_t end = 0;
    if (NamesProgram(ProgramWord(line, end), programName))
        line.remove_prefix(end);
    std::vector<std::u16string> arguments = SplitArguments(line);
    if (arguments.empty())
        return std::nullopt;
    return std::move(arguments.front());
}

ExecutorMode ChooseMode(const std::optional<std::u16string>& argument) {
    if (!argument)
        return ExecutorMode::kUsage;
    const std::u16string& a = *argument;
    if (a == u"-r")
        return ExecutorMode::kRemoval;
    if (a == u"-service")
        return ExecutorMode::kService;
    if (a == kSessionPartArgument)
        return ExecutorMode::kSessionPart;
    if (a.find(u".ini") != std::u16string::npos || a.find(u".INI") != std::u16string::npos)
        return ExecutorMode::kIni;
    if (a.find(kLocalPrefix) != std::u16string::npos || a.find(kRemotePrefix) != std::u16string::npos)
        return ExecutorMode::kTask;
    return ExecutorMode::kUsage;
}

std::vector<std::u16string> UsagePieces() {
    return {u"\n",
            u"\n",
            u"Velmora LT v3.3 for Windows 2000/XP/2003\n",
            u"Made by the Velmora developers\n",
            u"\n",
            u"Usage: quenex.exe [.ini file]\n",
            u"\n",
            u"Example: quenex.exe C:\\shutdown.ini\n"};
}

}  // namespace velmora
