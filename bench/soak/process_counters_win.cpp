// Prints the memory and handle counters of the process that owns the top-level
// window with the given title, as the system reports them:
//   process_counters.exe TITLE
//   pid=N workingSet=BYTES privateBytes=BYTES handles=N gdiObjects=N userObjects=N
#include <windows.h>

#include <psapi.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: process_counters TITLE\n");
        return 2;
    }
    HWND window = FindWindowW(nullptr, argv[1]);
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid)) {
        std::fprintf(stderr, "no top-level window with that title\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::fprintf(stderr, "cannot open process %lu: error %lu\n", pid, GetLastError());
        return 1;
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    std::printf("pid=%lu workingSet=%llu privateBytes=%llu handles=%lu gdiObjects=%lu userObjects=%lu\n", pid,
                static_cast<unsigned long long>(memory.WorkingSetSize),
                static_cast<unsigned long long>(memory.PrivateUsage), handles,
                GetGuiResources(process, GR_GDIOBJECTS), GetGuiResources(process, GR_USEROBJECTS));
    CloseHandle(process);
    return 0;
}
