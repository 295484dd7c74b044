#include "window_texts.h"

#include "core/page_actions.h"
#include "core/utf.h"

namespace lumvox::ui {

std::u16string MainWindowTitle(std::u16string_view version) {
    std::u16string title = u"Lumvox Workshop V";
    title += version;
    title += u" - ";
    title += kMakerNotice;
    return title;
}

std::u16string_view StatusLineText(bool speech_app_running) {
    return speech_app_running ? u"Lumvox 실행중입니다.  (^_^)" : u"Lumvox를 먼저 실행해 주세요.  (-___-)a";
}

std::u16string ErrorReportText(std::u16string_view message) {
    std::u16string text(message);
    if (!text.empty() && text.back() > u'.') text += u'.';
    return text;
}

namespace {

// The error's own message, and its nested cause if it carries one.
std::u16string OwnMessage(const std::exception_ptr& error, std::exception_ptr& cause) {
    cause = nullptr;
    try {
        std::rethrow_exception(error);
    } catch (const lumvox::core::ActionError& e) {
        return e.message();
    } catch (const std::exception& e) {
        if (const auto* nested = dynamic_cast<const std::nested_exception*>(&e)) cause = nested->nested_ptr();
        if (auto text = lumvox::core::Utf8ToUtf16(e.what())) return *text;
        std::u16string bytes;  // not UTF-8: take the bytes as Latin-1
        for (const char c : std::string_view(e.what())) bytes += static_cast<char16_t>(static_cast<unsigned char>(c));
        return bytes;
    } catch (...) {
        return u"Unknown error";
    }
}

}  // namespace

std::u16string ErrorMessageOf(const std::exception_ptr& error) {
    std::exception_ptr cause;
    std::u16string message = OwnMessage(error, cause);
    while (cause) {
        std::exception_ptr next;
        std::u16string inner = OwnMessage(cause, next);
        if (!inner.empty()) message = std::move(inner);
        cause = next;
    }
    return message;
}

}  // namespace lumvox::ui
