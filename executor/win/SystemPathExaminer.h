// The file system's answers about a log path, and the folders held open while the log is written.
#pragma once

#include <vector>

#include "executor/LogPath.h"
#include "platform/win/Unique.h"

namespace velmora {

class SystemPathExaminer : public PathExaminer {
public:
    std::optional<std::u16string> FullPath(const std::u16string& path) override;
    bool IsNetworkDrive(const std::u16string& root) override;
    PathStep HoldFolder(const std::u16string& path) override;
    PathStep LookAtFile(const std::u16string& path) override;

private:
    std::vector<UniqueFile> held_;
};

}  // namespace velmora
