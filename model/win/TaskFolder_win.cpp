// The task store folder from the system's Windows directory.
#include "model/win/TaskFolder.h"

#include <windows.h>

#include "platform/win/WideText.h"
namespace velmora {

std::u16string TaskStoreFolder() {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return u"C:\\Windows\\Tasks";
    std::u16string folder = FromWide(windows, length);
    if (folder.back() != u'\\')
        folder += u'\\';
    return folder + u"Tasks";
}

}  // namespace velmora
