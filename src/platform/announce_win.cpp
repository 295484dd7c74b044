#include "announce_win.h"

#include <unknwn.h>

#include <string>

#include "automation_strings_win.h"
#include "dll_search_win.h"

namespace lumvox::win {
namespace {

// UI Automation's notification, looked up at run time: systems before Windows 10
// 1709, and Wine, have none, and an import of it would stop the program loading.
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotification = HRESULT(WINAPI*)(IUnknown*, int kind, int processing, wchar_t* display, wchar_t* activity);

// The values of NotificationKind and NotificationProcessing.
constexpr int kActionCompleted = 2, kOther = 4;
constexpr int kImportantMostRecent = 1, kMostRecent = 3;

struct UiaNotification {
    RaiseNotification raise = nullptr;
    HostProviderFromHwnd host = nullptr;
    bool present() const { return raise && host && AutomationStringFunctions().present(); }
};

const UiaNotification& Uia() {
    static const UiaNotification uia = [] {
        UiaNotification found;
        HMODULE core = LoadSystemLibrary(L"uiautomationcore.dll");
        found.raise = SystemFunction<RaiseNotification>(core, "UiaRaiseNotificationEvent");
        if (!found.raise) return found;
        found.host = SystemFunction<HostProviderFromHwnd>(core, "UiaHostProviderFromHwnd");
        return found;
    }();
    return uia;
}

void RaiseUiaNotification(HWND hwnd, std::u16string_view words, Announcement kind) {
    const UiaNotification& uia = Uia();
    if (!uia.present()) return;
    IUnknown* provider = nullptr;
    if (FAILED(uia.host(hwnd, &provider)) || !provider) return;
    const AutomationStrings& strings = AutomationStringFunctions();
    const std::wstring text(words.begin(), words.end());
    BSTR display = strings.alloc(text.c_str(), static_cast<UINT>(text.size()));
    BSTR activity = strings.alloc(L"LumvoxSendState", 15);
    if (display && activity)
        uia.raise(provider, kind == Announcement::Outcome ? kActionCompleted : kOther,
                  kind == Announcement::Outcome ? kImportantMostRecent : kMostRecent, display, activity);
    strings.free(display);
    strings.free(activity);
    provider->Release();
}

}  // namespace

void AnnounceTextChange(HWND hwnd, LONG child, std::u16string_view words, Announcement kind) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, child);
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, hwnd, OBJID_CLIENT, child);
    RaiseUiaNotification(hwnd, words, kind);
}

}  // namespace lumvox::win
