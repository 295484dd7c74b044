#pragma once
// The application object: a window of no size, titled with the application title,
// that owns the main window and so carries the program's task-bar and window-switcher
// entry; and the event loop with the windows' key preview.
#include <windows.h>

#include "main_window_win.h"
#include "platform/window_win.h"

namespace lumvox::ui {

class Application final : public win::Window {
public:
    explicit Application(HINSTANCE instance) : instance_(instance) {}
    ~Application() override;

    bool Initialize();  // creates the application window, titled "Lumvox Workshop V2"
    HINSTANCE Instance() const { return instance_; }
    // Shows the main window in `show_state` and runs the event loop until it is told
    // to stop; returns the exit code.
    int Run(MainWindow& form, int show_state);
    // One message of the event loop: held back by its window, used up by the
    // key preview, or translated and dispatched.
    static void Deliver(const MSG& msg);

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    HINSTANCE instance_;
    HWND main_ = nullptr;  // shown and hidden with the task-bar entry
};

}  // namespace lumvox::ui
