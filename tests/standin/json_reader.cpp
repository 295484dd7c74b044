#include "json_reader.h"

#include <cctype>

namespace lumvox::standin {
namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}

    std::optional<JsonObject> Object() {
        JsonObject object;
        Blanks();
        if (!Take('{')) return std::nullopt;
        Blanks();
        if (!Take('}')) {
            do {
                Blanks();
                auto name = String();
                Blanks();
                if (!name || !Take(':')) return std::nullopt;
                Blanks();
                auto value = Value();
                if (!value || !object.emplace(std::move(*name), std::move(*value)).second) return std::nullopt;
                Blanks();
            } while (Take(','));
            if (!Take('}')) return std::nullopt;
        }
        Blanks();
        if (i_ != s_.size()) return std::nullopt;
        return object;
    }

private:
    std::optional<JsonValue> Value() {
        if (Peek('"')) {
            auto text = String();
            if (!text) return std::nullopt;
            return JsonValue(std::move(*text));
        }
        if (Take('[')) {
            std::vector<std::string> items;
            Blanks();
            if (Take(']')) return JsonValue(std::move(items));
            do {
                Blanks();
                auto item = String();
                if (!item) return std::nullopt;
                items.push_back(std::move(*item));
                Blanks();
            } while (Take(','));
            if (!Take(']')) return std::nullopt;
            return JsonValue(std::move(items));
        }
        if (Word("true")) return JsonValue(true);
        if (Word("false")) return JsonValue(false);
        if (Word("null")) return JsonValue(nullptr);
        return Integer();
    }

    std::optional<JsonValue> Integer() {
        bool negative = Take('-');
        size_t start = i_;
        int64_t value = 0;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_])))
            value = value * 10 + (s_[i_++] - '0');
        if (i_ == start) return std::nullopt;
        return JsonValue(negative ? -value : value);
    }

    std::optional<std::string> String() {
        if (!Take('"')) return std::nullopt;
        std::string out;
        while (i_ < s_.size()) {
            char c = s_[i_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ == s_.size()) return std::nullopt;
            switch (char e = s_[i_++]) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                auto unit = Hex4();
                if (!unit) return std::nullopt;
                char32_t cp = *unit;
                if (cp >= 0xD800 && cp <= 0xDBFF && s_.substr(i_, 2) == "\\u") {
                    i_ += 2;
                    auto low = Hex4();
                    if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                }
                Put(cp, out);
                break;
            }
            default: return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<char32_t> Hex4() {
        if (s_.size() - i_ < 4) return std::nullopt;
        char32_t value = 0;
        for (int k = 0; k < 4; ++k) {
            char c = s_[i_++];
            int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                        : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                    : -1;
            if (digit < 0) return std::nullopt;
            value = value * 16 + digit;
        }
        return value;
    }

    static void Put(char32_t cp, std::string& out) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    void Blanks() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
    }
    bool Peek(char c) const { return i_ < s_.size() && s_[i_] == c; }
    bool Take(char c) {
        if (!Peek(c)) return false;
        ++i_;
        return true;
    }
    bool Word(std::string_view word) {
        if (s_.substr(i_, word.size()) != word) return false;
        i_ += word.size();
        return true;
    }

    std::string_view s_;
    size_t i_ = 0;
};

}  // namespace

std::optional<JsonObject> ParseJsonObject(std::string_view line) { return Reader(line).Object(); }

}  // namespace lumvox::standin
