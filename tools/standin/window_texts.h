#pragma once
// The stand-in window's own words, in English and in Korean: one table, picked
// once by the system's language. The title stays "Lumvox" in both (the workshop
// looks for it).
#include <array>
#include <string_view>

#include "wire_text.h"

namespace lumvox::standin {

enum class Language { English, Korean };

struct WindowTexts {
    std::string_view reply_label;  // before the list of answers to a GET
    std::string_view clear;
    std::string_view events_label, detail_label;  // the captions that name the list and the detail box
    std::string_view column_time, column_channel, column_details, column_text;
    std::array<std::string_view, std::size(kReplyModes)> reply_modes;  // in kReplyModes' order
    std::string_view http_on;   // followed by HOST:PORT
    std::string_view http_off;  // followed by HOST:PORT (ERROR)
    std::string_view no_log;
    std::string_view log;  // followed by the log's path
};

const WindowTexts& TextsIn(Language language);

// Korean for every Korean locale (primary language 0x12 of a Windows LANGID),
// English for any other.
Language LanguageOf(unsigned short language_id);

}  // namespace lumvox::standin
