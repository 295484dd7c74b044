// Start-up of LumvoxWorkshop: common controls, the application object with its
// title, the main window created hidden from the layout with its page actions and
// their links, the event loop, exit code 0.
#include <windows.h>

#include "core/network_link.h"
#include "core/page_actions.h"
#include "core/send_log.h"
#include "platform/clipboard_win.h"
#include "platform/dll_search_win.h"
#include "platform/file_source_win.h"
#include "platform/hostinfo_win.h"
#include "platform/speech_app_link_win.h"
#include "platform/startup_timing_win.h"
#include "ui/application_win.h"
#include "ui/main_window_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    using lumvox::win::MarkStartupStep;
    MarkStartupStep("wWinMain entered (loader, DLLs, static data)");
    lumvox::win::LoadLibrariesFromSystemOnly();
    // Looked up alongside the loading of the common controls and the windows.
    lumvox::win::HostFactsLookup host_facts;
    lumvox::ui::MainWindow::InitCommonControls();
    MarkStartupStep("common controls initialised");

    // Declared first: the send log window, made by the main window, listens to it to the end.
    lumvox::core::SendLog send_log;
    lumvox::ui::Application application(instance);
    if (!application.Initialize()) return 1;
    MarkStartupStep("application class and window (icons)");
    lumvox::ui::MainWindow form;
    if (!form.Create(instance, application.Handle())) return 1;
    MarkStartupStep("main window created");

    lumvox::win::WindowMessageLink speech_app;
    lumvox::core::HttpNetworkLink network;
    lumvox::win::WindowClipboard clipboard(form.Handle());
    lumvox::win::WindowsFileSource files;
    lumvox::core::PageActions actions(form, {speech_app, network, clipboard, files}, &send_log);
    form.SetPageActions(&actions);
    form.SetSendLog(&send_log);
    form.SetHostFacts(&host_facts);
    MarkStartupStep("page actions and links");

    const int code = application.Run(form, show);
    form.SetPageActions(nullptr);
    form.Destroy();
    // The task-bar entry's window, of no size and with nothing to finalise, goes with
    // the process: destroyed, it would be hidden first, and under Wine without a
    // window manager that hide alone holds the process 2 s longer.
    application.LeaveToProcessEnd();
    return code;
}
