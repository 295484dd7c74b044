#pragma once
// The window class, style and extended style each row of the layout is created
// with: one table for the main window and for the start-up benchmark's bare copy
// of its structure, so the two never differ.
#include <windows.h>

#include "layout.h"
#include "platform/controls_win.h"

namespace lumvox::ui {

// Labels, buttons and the like come with WS_VISIBLE; only the pages after the
// first are hidden. Painted shapes have no window: they get a plain STATIC row.
win::ControlClass ClassFor(const ControlSpec& c);

}  // namespace lumvox::ui
