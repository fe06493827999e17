// What the computer list page and its dialogs reach outside the manager: the remote operations of
// the batches, the worker threads, the network provider, the directory's query window and the
// shell's computer browser. Tests and benchmarks may put their own in.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "manager/CompListLogic.h"
#include "manager/NetworkBrowsing.h"
#include "manager/win/Profile.h"

namespace velmora {

struct ComputerServices {
    std::shared_ptr<ComputerOperations> operations;
    std::shared_ptr<WorkerLauncher> launcher;
    std::shared_ptr<NetworkBrowser> network;
    // The directory's query window for computers: the paths of the picked objects, none when it was
    // cancelled or the platform has no directory.
    std::function<std::vector<std::u16string>(HWND owner)> pickFromDirectory;
    // The shell's browser of the network's computers: the chosen computer's name, empty for none.
    std::function<std::u16string(HWND owner)> browseForComputer;
    // Whether Scan, Ping and Get Mac check up to 32 computers at once; none: one at a time.
    std::shared_ptr<StoredChoice> fastChecks;
};

// The fast checks choice as a DWORD "fast checks" under the profile's Settings key (1 on, 0 off;
// missing means off).
class ProfileChoice : public StoredChoice {
public:
    ProfileChoice(Profile profile, std::wstring entry) : profile_(std::move(profile)), entry_(std::move(entry)) {}
    bool Read() override;
    void Write(bool on) override;

private:
    Profile profile_;
    std::wstring entry_;
};
constexpr wchar_t kFastChecksEntry[] = L"fast checks";

// The system's services: a fresh action engine object per operation, detached worker threads.
ComputerServices SystemComputerServices();

}  // namespace velmora
