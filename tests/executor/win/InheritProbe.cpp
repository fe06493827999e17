// Stands in for the session part to see what it inherits: reads a record as the part does, takes it
// for the number of a handle of the starting process, and answers OK when that handle reached it (it
// can signal the event behind it), else Cancel.
#include <windows.h>

#include <string>

int wmain() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    unsigned char size[4] = {};
    DWORD read = 0;
    if (!::ReadFile(input, size, 4, &read, nullptr) || read != 4)
        return 1;
    const DWORD bytes = size[0] | (size[1] << 8) | (size[2] << 16) | (static_cast<DWORD>(size[3]) << 24);
    std::wstring record(bytes / 2, L'\0');
    for (DWORD done = 0; done < bytes; done += read) {
        if (!::ReadFile(input, reinterpret_cast<char*>(record.data()) + done, bytes - done, &read, nullptr) ||
            read == 0)
            return 1;
    }
    const HANDLE event = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::stoull(record)));
    const char* answer = ::SetEvent(event) ? "ok      " : "cancel  ";
    DWORD written = 0;
    ::WriteFile(output, answer, 8, &written, nullptr);
    return 0;
}
