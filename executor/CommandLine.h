// The executor's command line: finding its one argument and choosing the mode from it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class ExecutorMode { kUsage, kRemoval, kService, kSessionPart, kIni, kTask };

// The internal mode in which a process of the system account runs a task's dialog and action in the
// console user's session; the usage text does not list it.
constexpr char16_t kSessionPartArgument[] = u"-session";

// Splits a command line by the platform's rules: blanks separate arguments, double quotes group,
// backslashes escape quotes only when they precede one.
std::vector<std::u16string> SplitArguments(std::u16string_view commandLine);

// The first argument of a command line. Launchers differ: a shell or the Task Scheduler puts the
// program's own name first, Wine's scheduler passes only the parameters. The first word is taken
// as the program when it names it (`programName` without path or ".exe", compared without case).
std::optional<std::u16string> FirstArgument(std::u16string_view commandLine, std::u16string_view programName);

ExecutorMode ChooseMode(const std::optional<std::u16string>& argument);

// The usage text, piece by piece, as it is printed.
std::vector<std::u16string> UsagePieces();

}  // namespace velmora
