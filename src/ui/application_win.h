#pragma once
// The application object: a window of no size, titled with the application title,
// that owns the main window and so carries the program's task-bar and window-switcher
// entry; and the event loop with the key preview and the general error report.
#include <windows.h>

#include "main_window_win.h"

namespace lumvox::ui {

class Application {
public:
    explicit Application(HINSTANCE instance) : instance_(instance) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    bool Initialize();  // creates the application window, titled "Lumvox Workshop V2"
    HWND Handle() const { return hwnd_; }
    HINSTANCE Instance() const { return instance_; }
    // Shows the main window in `show_state` and runs the event loop until it is told
    // to stop; returns the exit code.
    int Run(MainWindow& form, int show_state);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
};

}  // namespace lumvox::ui
