// What the install test needs from inside Wine:
//   run-exact PROGRAM ARGS...  runs PROGRAM with ARGS joined by single spaces and
//                              never quoted, prints nothing, exits with its code.
//                              An NSIS uninstaller reads "_?=DIR" up to the end of
//                              the line, spaces included; Wine would quote it.
//   run-line COMMAND-LINE      runs the command line exactly as given (as Windows
//                              runs an installed-apps entry's uninstall command),
//                              prints nothing, exits with its code.
//   shortcut LINK.lnk          prints the shortcut's target, working folder and
//                              description, one a line.
//   resources PROGRAM.exe      prints the version resource's FileVersion and
//                              FileDescription, one a line, then the manifest.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Run(const wchar_t* program, std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 120;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 121;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

int RunExact(int argc, wchar_t** argv) {
    std::wstring command = L"\"" + std::wstring(argv[2]) + L"\"";
    for (int i = 3; i < argc; ++i) command += L" " + std::wstring(argv[i]);
    return Run(argv[2], command);
}

void PrintUtf8(const wchar_t* text) {
    char buffer[4 * MAX_PATH];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    if (n > 0) printf("%s\n", buffer);
}

int ReadShortcut(const wchar_t* path) {
    if (FAILED(CoInitialize(nullptr))) return 2;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    int code = 3;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path, STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {}, description[INFOTIPSIZE] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
        link->GetDescription(description, INFOTIPSIZE);
        PrintUtf8(target);
        PrintUtf8(folder);
        PrintUtf8(description);
        code = 0;
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return code;
}

std::wstring VersionString(const std::vector<char>& block, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + name;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return L"";
    return std::wstring(value, length ? length - 1 : 0);
}

int PrintResources(const wchar_t* path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return 3;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return 3;
    PrintUtf8(VersionString(block, L"FileVersion").c_str());
    PrintUtf8(VersionString(block, L"FileDescription").c_str());
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return 4;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded) fwrite(LockResource(loaded), 1, SizeofResource(module, found), stdout);
    FreeLibrary(module);
    return loaded ? 0 : 5;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"run-exact" && argc >= 3) return RunExact(argc, argv);
    if (command == L"run-line" && argc == 3) return Run(nullptr, argv[2]);
    if (command == L"shortcut" && argc == 3) return ReadShortcut(argv[2]);
    if (command == L"resources" && argc == 3) return PrintResources(argv[2]);
    fprintf(stderr, "usage: release_helper run-exact PROGRAM ARGS... | run-line COMMAND-LINE | shortcut LINK.lnk |\n"
                    "       resources PROGRAM.exe\n");
    return 2;
}
