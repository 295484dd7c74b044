#include "flat_json_parser.h"

#include <cstdlib>

#include "core/utf.h"

namespace lumvox::send {
namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    std::optional<JsonObject> Object(std::string& error) {
        JsonObject object;
        Blank();
        if (!Eat('{')) return Fail(error, "expected '{'");
        Blank();
        if (Eat('}')) return End(object, error);
        while (true) {
            Blank();
            std::u16string key;
            if (!String(key)) return Fail(error, "expected a string key");
            Blank();
            if (!Eat(':')) return Fail(error, "expected ':'");
            Blank();
            JsonValue value;
            if (!Value(value)) return Fail(error, "expected a string, number, true, false or null");
            auto utf8_key = lumvox::core::Utf16ToUtf8(key);
            if (!utf8_key) return Fail(error, "bad key");
            object[*utf8_key] = std::move(value);
            Blank();
            if (Eat('}')) return End(object, error);
            if (!Eat(',')) return Fail(error, "expected ',' or '}'");
        }
    }

private:
    std::optional<JsonObject> End(JsonObject& object, std::string& error) {
        Blank();
        if (i_ != s_.size()) return Fail(error, "text after the object");
        return std::move(object);
    }
    std::optional<JsonObject> Fail(std::string& error, const char* what) {
        error = std::string(what) + " at byte " + std::to_string(i_ + 1);
        return std::nullopt;
    }
    void Blank() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
    }
    bool Eat(char c) {
        if (i_ < s_.size() && s_[i_] == c) { ++i_; return true; }
        return false;
    }
    bool Word(std::string_view w) {
        if (s_.substr(i_, w.size()) != w) return false;
        i_ += w.size();
        return true;
    }
    bool Value(JsonValue& value) {
        if (i_ >= s_.size()) return false;
        if (s_[i_] == '"') {
            std::u16string text;
            if (!String(text)) return false;
            value = std::move(text);
            return true;
        }
        if (Word("true")) { value = true; return true; }
        if (Word("false")) { value = false; return true; }
        if (Word("null")) { value = nullptr; return true; }
        size_t start = i_;
        while (i_ < s_.size() && std::string_view("+-0123456789.eE").find(s_[i_]) != std::string_view::npos) ++i_;
        if (start == i_) return false;
        std::string number(s_.substr(start, i_ - start));
        char* end = nullptr;
        double d = std::strtod(number.c_str(), &end);
        if (end != number.c_str() + number.size()) return false;
        value = d;
        return true;
    }
    bool Hex4(unsigned& out) {
        if (s_.size() - i_ < 4) return false;
        out = 0;
        for (int k = 0; k < 4; ++k) {
            char c = s_[i_++];
            out <<= 4;
            if (c >= '0' && c <= '9') out |= c - '0';
            else if (c >= 'a' && c <= 'f') out |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') out |= c - 'A' + 10;
            else return false;
        }
        return true;
    }
    bool String(std::u16string& out) {
        if (!Eat('"')) return false;
        size_t run = i_;
        auto flush = [&] {
            return lumvox::core::AppendUtf8AsUtf16(s_.substr(run, i_ - run), out);
        };
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (c == '"') {
                if (!flush()) return false;
                ++i_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') { ++i_; continue; }
            if (!flush()) return false;
            ++i_;
            if (i_ >= s_.size()) return false;
            char e = s_[i_++];
            switch (e) {
            case '"': out += u'"'; break;
            case '\\': out += u'\\'; break;
            case '/': out += u'/'; break;
            case 'b': out += u'\b'; break;
            case 'f': out += u'\f'; break;
            case 'n': out += u'\n'; break;
            case 'r': out += u'\r'; break;
            case 't': out += u'\t'; break;
            case 'u': {
                unsigned unit;
                if (!Hex4(unit)) return false;
                out += static_cast<char16_t>(unit);  // pairs arrive as two escapes
                break;
            }
            default: return false;
            }
            run = i_;
        }
        return false;
    }

    std::string_view s_;
    size_t i_ = 0;
};

}  // namespace

std::optional<JsonObject> ParseFlatObject(std::string_view line, std::string& error) {
    return Parser(line).Object(error);
}

}  // namespace lumvox::send
