#include "send_main.h"

#include <cerrno>
#include <cstring>

#include "core/hex_dump.h"
#include "core/action_error.h"
#include "core/http_reply_reader.h"
#include "core/text_file_decoder.h"
#include "core/utf.h"
#include "batch_reader.h"
#include "common/markup_json.h"
#include "json/send_record_json.h"
#include "send_version.h"

namespace lumvox::send {
namespace {

using lumvox::core::ActionError;
using lumvox::core::ToUtf8Lossy;

struct TextOrFailure {
    std::optional<std::u16string> text;
    Outcome outcome = Outcome::Usage;
    std::string plain = {};
    std::u16string message = {};
    lumvox::core::SendCause cause = {};
    std::string warning = {};  // a line for standard error: the text was read, but not all of it as written
};

TextOrFailure Text(std::u16string text) { return {std::move(text), Outcome::Delivered}; }

// The input a mode takes at most, and its words when more comes.
struct InputCap {
    size_t bytes;
    const char* mode;
    const char* instead;
};

std::optional<InputCap> InputCapOf(const SendOptions& options) {
    if (options.check) return InputCap{kMaxCheckInput, "--check", "check it in parts"};
    if (options.dry_run) return InputCap{kMaxDryRunInput, "--dry-run", "send it without --dry-run, or split it"};
    return std::nullopt;
}

std::optional<TextOrFailure> OverCap(const std::optional<InputCap>& cap, std::string_view what, size_t bytes) {
    if (!cap || bytes <= cap->bytes) return std::nullopt;
    return TextOrFailure{std::nullopt, Outcome::Usage,
                         std::string(cap->mode) + " takes at most " + std::to_string(cap->bytes >> 20) + " MiB (" +
                             std::to_string(cap->bytes) + " bytes) of text; " + std::string(what) + " is " +
                             std::to_string(bytes) + " bytes: " + cap->instead};
}

TextOrFailure CauseFailure(const lumvox::core::SendCause& cause, std::u16string message) {
    return {std::nullopt, Outcome::Failed, lumvox::core::CauseTextEnglish(cause), std::move(message), cause};
}

// A file source's failure: its cause, or file-unreadable with the error's words.
TextOrFailure FileFailure(const std::u16string& path, const ActionError& error) {
    if (const auto* known = dynamic_cast<const lumvox::core::CauseError*>(&error))
        return CauseFailure(known->cause(), error.message());
    lumvox::core::SendCause cause(lumvox::core::CauseCode::FileUnreadable, error.message());
    cause.path = path;
    return CauseFailure(cause, error.message());
}

// A file without a byte-order mark in the code page asked for (or the
// system's), the first byte that code page does not define told in a warning.
TextOrFailure ReadFileText(const std::u16string& path, std::optional<unsigned> code_page,
                           const std::optional<InputCap>& cap, SendPlatform& platform) {
    TextOrFailure read;
    platform.Files().ReadInPlace(path, [&](std::string_view bytes) {
        if (auto refused = OverCap(cap, ToUtf8Lossy(path), bytes.size())) {
            read = *std::move(refused);
            return;
        }
        std::optional<lumvox::core::CodePageText> unmarked;
        auto decode = [&](std::string_view body) {
            unmarked = platform.CodePages().DecodeCodePage(body, code_page);
            return std::move(unmarked->text);
        };
        // A code page the user names is the file's whatever its bytes; without
        // one, well-formed UTF-8 goes first, as in the window.
        read = Text(lumvox::core::DecodeTextFile(bytes, decode,
                                                 code_page ? lumvox::core::UnmarkedFile::AnsiOnly
                                                           : lumvox::core::UnmarkedFile::Utf8WhenWellFormed));
        if (unmarked && unmarked->first_undefined) {
            const size_t at = *unmarked->first_undefined;  // no mark: the body starts the file
            read.warning = "warning: " + ToUtf8Lossy(path) + ": the byte at offset " + std::to_string(at) + " (0x" +
                           lumvox::core::HexBytes(bytes.substr(at, 1)) + ") is not defined in code page " +
                           std::to_string(unmarked->code_page) +
                           "; it and any later such bytes were read as substitute characters\n";
        }
    });
    return read;
}

TextOrFailure ReadText(TextSource source, const std::u16string& text, std::optional<unsigned> code_page,
                       const std::optional<InputCap>& cap, SendPlatform& platform) {
    switch (source) {
    case TextSource::Argument:
        return Text(text);
    case TextSource::Stdin:
        try {
            std::string bytes = platform.ReadStandardInput();
            if (auto refused = OverCap(cap, "standard input", bytes.size())) return *std::move(refused);
            // As a file's: the mark says how the bytes are written, it is not text.
            std::string_view unmarked = bytes;
            if (unmarked.starts_with("\xEF\xBB\xBF")) unmarked.remove_prefix(3);
            auto decoded = lumvox::core::Utf8ToUtf16(unmarked);
            if (decoded) return Text(std::move(*decoded));
            lumvox::core::SendCause cause(lumvox::core::CauseCode::InputNotUtf8);
            cause.offset = lumvox::core::FirstIllFormedUtf8(bytes).value_or(0);
            return CauseFailure(cause, u"");
        } catch (const lumvox::core::CauseError& error) {
            return CauseFailure(error.cause(), error.message());
        }
    case TextSource::File:
        try {
            return ReadFileText(text, code_page, cap, platform);
        } catch (const ActionError& error) {
            return FileFailure(text, error);
        }
    }
    return {};
}

CaseResult FailureResult(lumvox::core::SendChannel channel, const TextOrFailure& failure) {
    CaseResult result;
    result.channel = channel;
    result.outcome = failure.outcome;
    result.plain = failure.plain;
    result.message = failure.message;
    result.cause = failure.cause;
    return result;
}

// --strict: a markup error, or a wire warning of a send the dry run would
// deliver, stop the send before anything goes out, each with its own cause.
CaseResult Stopped(const lumvox::core::SendRequest& input, lumvox::core::CauseCode code, const CaseResult& dry) {
    CaseResult result;
    result.channel = input.channel;
    result.cause = lumvox::core::SendCause(code);
    result.outcome = OutcomeOfCause(result.cause);
    result.plain = lumvox::core::CauseTextEnglish(result.cause);
    if (code == lumvox::core::CauseCode::StoppedByWarning) result.warnings = dry.warnings;
    return result;
}

std::optional<CaseResult> StrictStop(const lumvox::core::SendRequest& input, bool markup_error, const CaseResult& dry) {
    if (markup_error) return Stopped(input, lumvox::core::CauseCode::StoppedByMarkupError, dry);
    if (dry.outcome == Outcome::Delivered && !dry.warnings.empty())
        return Stopped(input, lumvox::core::CauseCode::StoppedByWarning, dry);
    return std::nullopt;
}

// Notes say nothing wrong; before a send only errors and warnings are told.
lumvox::core::MarkupFindings WithoutNotes(lumvox::core::MarkupFindings findings) {
    std::erase_if(findings, [](const auto& f) { return f.severity == lumvox::core::Severity::Note; });
    return findings;
}

// One send as the options ask, for a single text and for each batch case alike:
// a dry run is the real send through recording links, and --strict looks at
// that dry run before a real send.
CaseResult SendAsAsked(const lumvox::core::SendRequest& input, const SendOptions& options, bool markup_error,
                       SendPlatform& platform) {
    if (!options.strict && !options.dry_run) return RunCase(input, platform.Links());
    CaseResult dry = DryRunCase(input);
    if (options.strict) {
        if (auto stop = StrictStop(input, markup_error, dry)) {
            if (options.dry_run) stop->preview = std::move(dry.preview);
            return *std::move(stop);
        }
    }
    return options.dry_run ? dry : RunCase(input, platform.Links());
}

// With --json standard output holds the one JSON object alone, a dry run's bytes inside it.
void Report(const CaseResult& result, bool json, const Sink& out, const Sink& err) {
    if (!json && !result.preview.empty()) out(result.preview);
    err(DescribeOutcome(result));
    if (json) out(OutcomeJson(result));
}

// A text or batch file that could not be read, as --check and --batch report it.
std::string ReadFailureJson(const TextOrFailure& failure) {
    lumvox::json::JsonLine json(kJsonEscapes);
    json.Text("outcome", OutcomeName(failure.outcome))
        .Number("exitCode", ExitCode(failure.outcome))
        .Text("message", failure.message)
        .Text("detail", failure.plain);
    lumvox::json::AppendCause(json, failure.cause);
    return json.Finish() + "\n";
}

int RunBatch(const SendOptions& options, SendPlatform& platform, const Sink& out, const Sink& err) {
    std::string bytes;
    try {
        bytes = platform.Files().ReadAll(*options.batch_file);
    } catch (const ActionError& error) {
        TextOrFailure failure = FileFailure(*options.batch_file, error);
        err(std::string(OutcomeName(failure.outcome)) + ": " + failure.plain + "\n");
        out(ReadFailureJson(failure));
        return ExitCode(failure.outcome);
    }
    int passed = 0, failed = 0, line_number = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#') continue;

        lumvox::json::JsonLine json(kJsonEscapes);
        json.Number("line", line_number);
        std::string error;
        auto parsed = ReadBatchCase(line, error);
        bool ok = false;
        if (parsed) {
            lumvox::core::MarkupFindings findings = WithoutNotes(CheckCaseMarkup(parsed->input, true));
            const bool markup_error = options.strict && lumvox::core::HasError(findings);
            CaseResult result = SendAsAsked(parsed->input, options, markup_error, platform);
            result.findings = std::move(findings);
            result.request = std::move(parsed->input);
            ok = result.outcome == parsed->expected;
            json.Text("expected", OutcomeName(parsed->expected));
            AppendOutcomeFields(json, result);
        } else {
            json.Text("outcome", "usage").Text("detail", error);
        }
        json.Flag("passed", ok);
        out(json.Finish() + "\n");
        (ok ? passed : failed)++;
    }
    // With --json standard output holds the result lines alone.
    (options.json ? err : out)(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed\n");
    return failed == 0 ? 0 : 1;
}

int RunOptions(const SendOptions& options, SendPlatform& platform, const Sink& out, const Sink& err) {
    if (options.codepage && !platform.CodePages().HasCodePage(*options.codepage)) {
        err("usage: --codepage " + std::to_string(*options.codepage) + ": " + std::string(kNoSuchCodePage) +
            "\nTry 'lumvox-send --help'.\n");
        return ExitCode(Outcome::Usage);
    }
    if (options.batch_file) return RunBatch(options, platform, out, err);

    TextOrFailure text = ReadText(options.source, options.text, options.codepage, InputCapOf(options), platform);
    if (!text.text && text.outcome == Outcome::Usage) {
        err("usage: " + text.plain + "\nTry 'lumvox-send --help'.\n");
        return ExitCode(Outcome::Usage);
    }
    if (!text.warning.empty()) err(text.warning);
    if (!text.text && !options.channel) {  // --check without a channel
        err(std::string(OutcomeName(text.outcome)) + ": " + text.plain + "\n");
        if (options.json) out(ReadFailureJson(text));
        return ExitCode(text.outcome);
    }
    if (!text.text) {
        CaseResult failure = FailureResult(*options.channel, text);
        Report(failure, options.json, out, err);
        return ExitCode(failure.outcome);
    }
    const lumvox::core::SendRequest input{options.channel.value_or(lumvox::core::SendChannel::App),
                                          std::move(*text.text), options.protocol, options.host, options.port};
    const std::string source = options.source == TextSource::File    ? ToUtf8Lossy(options.text)
                               : options.source == TextSource::Stdin ? std::string("-")
                                                                     : std::string("(argument)");
    lumvox::core::MarkupFindings findings = CheckCaseMarkup(input, options.channel.has_value());
    const bool has_error = lumvox::core::HasError(findings);
    if (options.check) {
        const int code = has_error ? ExitCode(Outcome::MarkupError) : 0;
        if (options.json) {
            out(CheckJson(source, options.channel, findings, code));
            return code;
        }
        // One write: a long text's thousand findings are not a thousand flushes.
        std::string lines;
        for (const auto& f : findings) lines += FindingLine(source, f);
        lines += FindingsLeftOutLine(source, findings);
        if (!lines.empty()) out(lines);
        return code;
    }
    findings = WithoutNotes(std::move(findings));
    for (const auto& f : findings) err(FindingLine(source, f));
    if (findings.left_out) err(FindingsLeftOutLine(source, findings));
    CaseResult result;
    if (options.repeat) {
        std::optional<CaseResult> stop =
            options.strict ? StrictStop(input, has_error, DryRunCase(input)) : std::nullopt;
        if (!stop) {
            RepeatReport report = RunRepeat(input, *options.repeat, options.concurrency, platform);
            err(DescribeRepeat(report));
            if (options.json) out(RepeatJson(report));
            return report.ExitCode();
        }
        result = *std::move(stop);
    } else {
        result = SendAsAsked(input, options, has_error, platform);
    }
    result.findings = std::move(findings);
    result.request = input;
    Report(result, options.json, out, err);
    return ExitCode(result.outcome);
}

}  // namespace

int RunSendMain(const std::vector<std::u16string>& args, SendPlatform& platform, const Sink& out,
                const Sink& err) {
    ParsedArgs parsed = ParseSendArgs(args);
    if (!parsed.options) {
        err("usage: " + parsed.error + "\nTry 'lumvox-send --help'.\n");
        return ExitCode(Outcome::Usage);
    }
    const SendOptions& options = *parsed.options;
    if (options.help) {
        out(kUsage);
        return 0;
    }
    if (options.version) {
        out(kVersionText);
        return 0;
    }
    // Whatever fails unforeseen still ends as a failure a script can read.
    std::string what = "an unknown exception";
    try {
        return RunOptions(options, platform, out, err);
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
    }
    err("failed: " + what + "\n");
    if (options.json) {
        lumvox::json::JsonLine json(kJsonEscapes);
        json.Text("outcome", OutcomeName(Outcome::Failed))
            .Number("exitCode", ExitCode(Outcome::Failed))
            .Text("detail", what);
        out(json.Finish() + "\n");
    }
    return ExitCode(Outcome::Failed);
}

namespace {

// A stream that remembers its first failed write; later writes are not tried.
struct CheckedStream {
    std::FILE* stream;
    int error = 0;  // errno of the first failure, or -1 when the library gave none
    bool failed = false;

    void Write(std::string_view text) {
        if (failed) return;
        errno = 0;
        const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
        if (std::fflush(stream) == 0 && written) return;
        failed = true;
        error = errno != 0 ? errno : -1;
    }
    std::string Why() const { return error > 0 ? std::strerror(error) : "the write failed"; }
};

}  // namespace

int RunSendMainOn(const std::vector<std::u16string>& args, SendPlatform& platform, std::FILE* out, std::FILE* err) {
    CheckedStream checked_out{out}, checked_err{err};
    const int code = RunSendMain(
        args, platform, [&](std::string_view text) { checked_out.Write(text); },
        [&](std::string_view text) { checked_err.Write(text); });
    if (!checked_out.failed && !checked_err.failed) return code;
    if (checked_out.failed) checked_err.Write("failed: standard output could not be written: " + checked_out.Why() + "\n");
    return kExitOutputFailed;
}

}  // namespace lumvox::send
