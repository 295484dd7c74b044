// The tables scripts read in docs/lumvox-send.md and docs/markup-check.md, and
// the exit codes --help lists, against the program's own tables: a row missing
// or out of step fails.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/markup_check.h"
#include "core/markup_messages.h"
#include "core/send_outcome.h"
#include "outcome.h"
#include "send_options.h"

namespace lumvox::send {
namespace {

using lumvox::core::CauseCode;
using lumvox::core::MarkupCode;

std::string Document(const char* name) {
    std::ifstream file(std::string(LUMVOX_SOURCE_DIR "/docs/") + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The cells of each body row of the table whose header row begins so.
std::vector<std::vector<std::string>> Table(const std::string& document, const std::string& header) {
    std::vector<std::vector<std::string>> rows;
    const auto at = document.find("\n" + header);
    if (at == std::string::npos) return rows;
    std::istringstream lines(document.substr(at + 1));
    std::string line;
    std::getline(lines, line);  // the header
    std::getline(lines, line);  // its separator
    while (std::getline(lines, line) && line.starts_with("|")) {
        std::vector<std::string> cells;
        std::istringstream parts(line.substr(1));
        std::string cell;
        while (std::getline(parts, cell, '|')) cells.push_back(Trimmed(cell));
        rows.push_back(std::move(cells));
    }
    return rows;
}

constexpr char kExitHeader[] = "| Code | Outcome | Meaning |";

// The `quoted` words of a cell, in order.
std::vector<std::string> Quoted(const std::string& cell) {
    std::vector<std::string> words;
    const std::regex quoted("`([^`]*)`");
    for (auto it = std::sregex_iterator(cell.begin(), cell.end(), quoted); it != std::sregex_iterator(); ++it)
        words.push_back((*it)[1]);
    return words;
}

constexpr int kOutcomes = static_cast<int>(Outcome::Count);

TEST(Documentation, ExitStatusTableHasEveryOutcomeAtItsCode) {
    const auto rows = Table(Document("lumvox-send.md"), kExitHeader);
    ASSERT_FALSE(rows.empty()) << "no exit status table in docs/lumvox-send.md";
    std::map<int, std::vector<std::string>> by_code;
    for (const auto& row : rows) {
        ASSERT_GE(row.size(), 3u);
        const int code = std::stoi(row[0]);
        EXPECT_FALSE(by_code.contains(code)) << "exit code " << code << " has two rows";
        by_code[code] = Quoted(row[1]);
    }
    std::set<int> codes = {kExitBatchCaseNotAsExpected, kExitOutputFailed};
    for (int i = 0; i < kOutcomes; ++i) {
        const auto outcome = static_cast<Outcome>(i);
        const int code = ExitCode(outcome);
        codes.insert(code);
        ASSERT_TRUE(by_code.contains(code)) << OutcomeName(outcome) << " exits " << code << ", which has no row";
        EXPECT_NE(std::find(by_code[code].begin(), by_code[code].end(), OutcomeName(outcome)), by_code[code].end())
            << OutcomeName(outcome) << " is not in the row of exit code " << code;
    }
    for (const auto& [code, names] : by_code) {
        EXPECT_TRUE(codes.contains(code)) << "exit code " << code << " is documented but never given";
        for (const std::string& name : names) {
            const auto outcome = OutcomeFromName(name);
            ASSERT_TRUE(outcome) << name << " is not an outcome";
            EXPECT_EQ(ExitCode(*outcome), code) << name;
        }
    }
    for (int code : {kExitBatchCaseNotAsExpected, kExitOutputFailed}) {
        ASSERT_TRUE(by_code.contains(code)) << "exit code " << code << " has no row";
        EXPECT_TRUE(by_code[code].empty()) << "exit code " << code << " ends no single send";
    }
}

TEST(Documentation, HelpListsTheSameExitCodesWithTheOutcomesNames) {
    const std::string usage = kUsage;
    const auto start = usage.find("Exit codes:\n");
    ASSERT_NE(start, std::string::npos);
    std::istringstream lines(usage.substr(start + 12));
    std::map<int, std::string> help;
    std::string line;
    const std::regex code_line("  ([0-9]+) (.*)");
    std::smatch match;
    while (std::getline(lines, line) && line.starts_with("  ")) {
        if (!std::regex_match(line, match, code_line)) continue;  // a line that goes on
        EXPECT_TRUE(help.emplace(std::stoi(match[1]), match[2]).second) << line;
    }
    std::set<int> documented;
    for (const auto& row : Table(Document("lumvox-send.md"), kExitHeader)) documented.insert(std::stoi(row[0]));
    std::set<int> listed;
    for (const auto& [code, words] : help) listed.insert(code);
    EXPECT_EQ(listed, documented);
    for (int i = 0; i < kOutcomes; ++i) {
        const auto outcome = static_cast<Outcome>(i);
        const std::string name(OutcomeName(outcome));
        const std::string& words = help[ExitCode(outcome)];
        EXPECT_TRUE(std::regex_search(words, std::regex("(^|[ (])" + name + "([ :,)]|$)")))
            << "--help's line for exit code " << ExitCode(outcome) << " does not name " << name << ": " << words;
    }
}

TEST(Documentation, CauseTableHasEveryCauseWithTheOutcomeItGives) {
    const auto rows = Table(Document("lumvox-send.md"), "| Cause | Outcome |");
    std::map<std::string, std::string> documented;
    for (const auto& row : rows) {
        ASSERT_GE(row.size(), 4u);
        const auto cause = Quoted(row[0]), outcome = Quoted(row[1]);
        ASSERT_EQ(cause.size(), 1u) << row[0];
        ASSERT_FALSE(outcome.empty()) << row[1];
        EXPECT_TRUE(documented.emplace(cause[0], outcome[0]).second) << cause[0] << " has two rows";
    }
    for (int i = 0; i < static_cast<int>(CauseCode::Count); ++i) {
        const lumvox::core::SendCause cause(static_cast<CauseCode>(i));
        const std::string name(lumvox::core::CauseName(cause.code));
        ASSERT_TRUE(documented.contains(name)) << name << " is not documented";
        EXPECT_EQ(documented[name], OutcomeName(lumvox::core::ScriptOutcomeOf(cause))) << name;
        documented.erase(name);
    }
    for (const auto& [name, outcome] : documented) ADD_FAILURE() << name << " is documented but is no cause";
}

TEST(Documentation, MarkupCodeTableHasEveryCodeWithItsSeverity) {
    std::map<std::string, std::string> documented;  // code, severity
    for (const auto& row : Table(Document("markup-check.md"), "| Severity | Code |")) {
        ASSERT_GE(row.size(), 3u);
        for (const std::string& code : Quoted(row[1]))
            EXPECT_TRUE(documented.emplace(code, row[0]).second) << code << " has two rows";
    }
    for (int i = 0; i < static_cast<int>(MarkupCode::Count); ++i) {
        const auto code = static_cast<MarkupCode>(i);
        const std::string name(lumvox::core::CodeName(code));
        ASSERT_TRUE(documented.contains(name)) << name << " is not documented";
        EXPECT_EQ(documented[name], lumvox::core::SeverityName(lumvox::core::markup::SeverityOf(code))) << name;
        documented.erase(name);
    }
    for (const auto& [name, severity] : documented) ADD_FAILURE() << name << " is documented but is no markup code";
}

}  // namespace
}  // namespace lumvox::send
