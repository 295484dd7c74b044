// What the install test needs from inside Wine:
//   run-exact PROGRAM ARGS...  runs PROGRAM with ARGS joined by single spaces and
//                              never quoted, prints nothing, exits with its code.
//                              An NSIS uninstaller reads "_?=DIR" up to the end of
//                              the line, spaces included; Wine would quote it.
//   run-line COMMAND-LINE      runs the command line exactly as given (as Windows
//                              runs an installed-apps entry's uninstall command),
//                              prints nothing, exits with its code.
//   shortcut LINK.lnk          prints the shortcut's target, working folder,
//                              description and arguments, one a line.
//   resources PROGRAM.exe      prints the version resource's FileVersion and
//                              FileDescription, one a line, then the manifest.
//   names PROGRAM.exe          prints the version resource's ProductVersion,
//                              ProductName, CompanyName and FileDescription as
//                              Explorer shows them (to the first NUL), then the
//                              fixed PRODUCTVERSION, one a line.
//   label-fits TEXT FACE POINTS  finds the visible static control whose text
//                              holds TEXT, measures its text, wrapped as the
//                              control wraps it, in font FACE at POINTS, and prints
//                              "fits" or "cut: needs H px, has h px".
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
        wchar_t arguments[INFOTIPSIZE] = {};
        link->GetArguments(arguments, INFOTIPSIZE);
        PrintUtf8(target);
        PrintUtf8(folder);
        PrintUtf8(description);
        PrintUtf8(arguments);
        code = 0;
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return code;
}

// The first translation the resource lists (NSIS writes language 0, the
// programs 0409 with code page 04E4).
std::wstring FirstTranslation(const std::vector<char>& block) {
    WORD* pair = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pair), &length) ||
        length < 4)
        return L"040904E4";
    wchar_t text[9];
    swprintf(text, 9, L"%04X%04X", pair[0], pair[1]);
    return text;
}

std::wstring VersionString(const std::vector<char>& block, const wchar_t* name) {
    const std::wstring path = L"\\StringFileInfo\\" + FirstTranslation(block) + L"\\" + name;
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

int PrintNames(const wchar_t* path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return 3;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return 3;
    for (const wchar_t* name : {L"ProductVersion", L"ProductName", L"CompanyName", L"FileDescription"})
        PrintUtf8(VersionString(block, name).c_str());  // printed to the first NUL, as Explorer shows it
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return 4;
    printf("%u.%u.%u.%u\n", unsigned{HIWORD(fixed->dwProductVersionMS)}, unsigned{LOWORD(fixed->dwProductVersionMS)},
           unsigned{HIWORD(fixed->dwProductVersionLS)}, unsigned{LOWORD(fixed->dwProductVersionLS)});
    return 0;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

struct LabelSearch {
    std::wstring part;
    HWND found = nullptr;
};

BOOL CALLBACK FindLabel(HWND hwnd, LPARAM lp) {
    auto& search = *reinterpret_cast<LabelSearch*>(lp);
    wchar_t kind[16] = {};
    GetClassNameW(hwnd, kind, 16);
    if (IsWindowVisible(hwnd) && lstrcmpiW(kind, L"Static") == 0 && WindowText(hwnd).find(search.part) != std::wstring::npos)
        search.found = hwnd;
    if (!search.found) EnumChildWindows(hwnd, FindLabel, lp);
    return search.found ? FALSE : TRUE;
}

// The text is measured as a static control draws it: wrapped at words, and at
// characters where one word is wider than the line (a folder's path).
int LabelFits(const wchar_t* part, const wchar_t* face, int points) {
    LabelSearch search{part};
    EnumWindows(FindLabel, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return 3;
    RECT client{};
    GetClientRect(search.found, &client);
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, face);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text = WindowText(search.found);
    RECT needed{0, 0, client.right, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    if (needed.bottom <= client.bottom) printf("fits\n");
    else printf("cut: needs %ld px, has %ld px\n", needed.bottom, client.bottom);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"run-exact" && argc >= 3) return RunExact(argc, argv);
    if (command == L"run-line" && argc == 3) return Run(nullptr, argv[2]);
    if (command == L"shortcut" && argc == 3) return ReadShortcut(argv[2]);
    if (command == L"resources" && argc == 3) return PrintResources(argv[2]);
    if (command == L"names" && argc == 3) return PrintNames(argv[2]);
    if (command == L"label-fits" && argc == 5) return LabelFits(argv[2], argv[3], _wtoi(argv[4]));
    fprintf(stderr, "usage: release_helper run-exact PROGRAM ARGS... | run-line COMMAND-LINE | shortcut LINK.lnk |\n"
                    "       resources PROGRAM.exe | names PROGRAM.exe | label-fits TEXT FACE POINTS\n");
    return 2;
}
