// The window base: objects attached at creation, control objects made and deleted
// with their windows, and what a handler throws reported by its window.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/window_win.h"

namespace lumvox::win {
namespace {

constexpr UINT kThrow = WM_APP + 7;
constexpr UINT kAnswer = WM_APP + 8;

int g_controls_alive = 0;

class CountedControl final : public Window {
public:
    CountedControl() { ++g_controls_alive; }
    ~CountedControl() override { --g_controls_alive; }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kAnswer) return 42;
        return Default(msg, wp, lp);
    }
};

class ThrowingWindow final : public Window {
public:
    bool Create() {
        WNDCLASSEXW wc{};
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LumvoxTestThrowingWindow";
        return RegisterClassFor(wc) && CreateAttached(0, wc.lpszClassName, L"", WS_POPUP, {0, 0}, {10, 10}, nullptr,
                                                      nullptr, wc.hInstance);
    }
    ~ThrowingWindow() override { Destroy(); }
    int reported = 0;
    bool detached = false;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kThrow) throw std::runtime_error("handler failed");
        if (msg == kAnswer) return 7;
        return Default(msg, wp, lp);
    }
    void ReportError(const std::exception_ptr& error) override {
        try {
            std::rethrow_exception(error);
        } catch (const std::runtime_error& e) {
            if (std::string_view(e.what()) == "handler failed") ++reported;
        }
    }
    void OnDetached() override { detached = true; }
};

TEST(WindowBase, ControlClassMakesOneObjectPerWindowAndDeletesItWithTheWindow) {
    WNDCLASSEXW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LumvoxTestCountedControl";
    ASSERT_TRUE(Window::RegisterControlClass<CountedControl>(wc));
    ASSERT_TRUE(Window::RegisterControlClass<CountedControl>(wc)) << "a second registration finds the class";
    HWND first = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    HWND second = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(g_controls_alive, 2);
    EXPECT_EQ(SendMessageW(first, kAnswer, 0, 0), 42);
    DestroyWindow(first);
    EXPECT_EQ(g_controls_alive, 1);
    DestroyWindow(second);
    EXPECT_EQ(g_controls_alive, 0);
}

TEST(WindowBase, AHandlerThatThrowsIsReportedByItsWindowAndTheMessageCountsAsHandled) {
    ThrowingWindow window;
    ASSERT_TRUE(window.Create());
    EXPECT_EQ(SendMessageW(window.Handle(), kThrow, 0, 0), 0);
    EXPECT_EQ(window.reported, 1);
    EXPECT_EQ(SendMessageW(window.Handle(), kAnswer, 0, 0), 7) << "the window goes on after the report";
    window.Destroy();
    EXPECT_TRUE(window.detached);
    EXPECT_EQ(window.Handle(), nullptr);
}

TEST(WindowBase, AWindowLeftToTheProcessEndOutlivesItsObjectAndAnswersWithTheDefaults) {
    HWND hwnd = nullptr;
    {
        ThrowingWindow window;
        ASSERT_TRUE(window.Create());
        hwnd = window.Handle();
        ASSERT_EQ(SendMessageW(hwnd, kAnswer, 0, 0), 7);
        window.LeaveToProcessEnd();
        EXPECT_EQ(window.Handle(), nullptr);
        EXPECT_EQ(Window::Of(hwnd), nullptr);
        EXPECT_FALSE(window.detached) << "the window was not destroyed";
        window.LeaveToProcessEnd();  // a second time: nothing left to let go of
    }
    // The object is gone and did not destroy the window, whose messages no longer reach it.
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, kAnswer, 0, 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, kThrow, 0, 0), 0);
    wchar_t title[8] = L"x";
    EXPECT_TRUE(SetWindowTextW(hwnd, L"ok"));
    EXPECT_EQ(GetWindowTextW(hwnd, title, 8), 2) << "the system's default procedure keeps the text";
    EXPECT_TRUE(DestroyWindow(hwnd));
}

}  // namespace
}  // namespace lumvox::win
