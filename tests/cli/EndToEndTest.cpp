// Runs the built program with its real standard streams and exit status.
#include "HelpText.h"
#include "Process.h"
#include "ProgramVersion.h"
#include "TempFiles.h"
#include "TestTariff.h"
#include "system/FileRead.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using hakomaru::test::ProgramRun;

using hakomaru::test::readBytes;
using hakomaru::test::runProgram;

const fs::path kProgram = HAKOMARU_QUOTE_EXE;

// A device that would never end. Windows has no /dev/zero: its null device
// NUL stands in.
#ifdef _WIN32
const std::string kDevice = "NUL";
#else
const std::string kDevice = "/dev/zero";
#endif

struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;     // the whole of standard output
    std::string errPart; // a part of standard error ("" for none at all)
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class EndToEnd : public testing::TestWithParam<Case> {};

TEST_P(EndToEnd, Runs) {
    const Case& c = GetParam();
    const ProgramRun r = runProgram(kProgram, c.args, c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    if (c.errPart.empty())
        EXPECT_EQ(r.err, "");
    else
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
}

const std::string kBookLine = R"({"quote":"book","WeightRow":4})";
const std::string kBookAnswer = R"({"State":"Quoted","Total":180,"Detail":"送料¥180"})";

const Case kCases[] = {
    {"jsonl_mixed",
     {"--jsonl", "--tariff", kTestTariffPath},
     R"({"quote":"youpack","FromCaption":"東京","ToRow":30})"
     "\n\n"
     R"({"quote":"cat","FromRow":14,"ToRow":30,"SizeRow":7})"
     "\nnot json\n" +
         kBookLine + "\n",
     1,
     R"({"Total":1100,"Detail":"送料¥1,100\r\n","Caption":"ゆうパック 第3地帯","NotHandled":false})"
     "\n"
     R"({"Total":0,"Detail":"","Caption":"","NotHandled":true})"
     "\n"
     R"({"InvalidRequest":"not valid JSON at byte 2"})"
     "\n" +
         kBookAnswer + "\n",
     ""},
    {"jsonl_failed_quote",
     {"--tariff=" + kTestTariffPath, "--jsonl"},
     kBookLine + "\n"
                 R"({"quote":"letter","WeightRow":18})",
     1,
     kBookAnswer + "\n"
                   R"({"Error":"'' は整数ではありません"})"
                   "\n",
     ""},
    {"comparison",
     {"--from", "東京都", "--to", "大阪", "--weight", "2kg", "--size", "60cm", "--you-cyaku",
      "--tariff", kTestTariffPath},
     "",
     0,
     "東京 → 大阪 / 2kg以下 / 60cm以下\n\n"
     "ゆうパック 第3地帯: ¥1,125\n    送料¥1,100\n     + 着払¥25\n"
     "クロネコ: ¥1,060\n    送料¥1,060\n\n"
     "クロネコのほうが ¥65 安い\n",
     ""},
    {"comparison_fails",
     {"--from", "東京", "--to", "沖縄", "--weight", "2", "--size", "60", "--tariff",
      kTestTariffPath},
     "",
     1,
     "東京 → 沖縄 / 2kg以下 / 60cm以下\n\n"
     "ゆうパック 第9地帯: 計算できません\nクロネコ: 計算できません\n\n",
     "ゆうパック: 'abcd' は整数ではありません"},
    {"book",
     {"book", "--weight", "3.5kg", "--tariff", kTestTariffPath},
     "",
     0,
     "冊子小包 4kg以下: 取扱不可\n",
     ""},
    {"unknown_prefecture",
     {"--from", "名古屋", "--to", "大阪", "--weight", "2", "--size", "60"},
     "",
     2,
     "",
     "発送地 '名古屋' は都道府県名ではありません"},
    {"out_of_range", {"letter", "--weight", "5kg"}, "", 2, "", "重さ '5kg' は範囲外です"},
    {"missing_tariff",
     {"--jsonl", "--tariff", "/nonexistent/Charge.ini"},
     kBookLine,
     2,
     "",
     "ファイル /nonexistent/Charge.ini は開けません（"},
    {"no_arguments", {}, "", 2, "", "hakomaru-quote --help"},
    {"version", {"--version"}, "", 0, "hakomaru-quote " + std::string(hakomaru::kProgramVersion) + "\n", ""},
    {"check_clean",
     {"check", "--tariff", std::string(HAKOMARU_SHIPPED_DATA_DIR) + "/Charge.ini"},
     "",
     0,
     std::string(HAKOMARU_SHIPPED_DATA_DIR) + "/Charge.ini: 問題はありません\n",
     ""},
    {"check_missing_file",
     {"check", "--tariff", "/nonexistent/Charge.ini"},
     "",
     2,
     "",
     "ファイル /nonexistent/Charge.ini は開けません（"},
    {"compare_standard_input",
     {"compare", "--csv", "-", "--no-bom", "--tariff", kTestTariffPath},
     "発送地,届け先,重さ,サイズ\n東京,大阪,2kg,60cm\n",
     0,
     "行,発送地,届け先,重さ,サイズ,代引金額,オプション,重さ区分,サイズ区分,ゆうパック,クロネコ,"
     "安いほう,差額,エラー\r\n2,東京,大阪,2kg,60cm,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n",
     ""},
    {"compare_bad_row",
     {"compare", "--tariff", kTestTariffPath, "--csv=-"},
     "東京,月,2,60\n",
     1,
     "\xEF\xBB\xBF行,発送地,届け先,重さ,サイズ,代引金額,オプション,重さ区分,サイズ区分,ゆうパック,"
     "クロネコ,安いほう,差額,エラー\r\n1,東京,月,2,60,,,,,,,,,届け先 '月' "
     "は都道府県名ではありません（「同一市内」も選べます）\r\n",
     "エラー列をご覧ください"},
    {"compare_missing_csv",
     {"compare", "--csv", "/nonexistent/in.csv"},
     "",
     2,
     "",
     "in.csv は開けません（"},
    {"compare_without_csv", {"compare"}, "", 2, "", "--csv FILE"},
    // Devices and folders are refused at once: /dev/zero would never end.
    {"compare_device_csv",
     {"compare", "--csv", kDevice, "--tariff", kTestTariffPath},
     "",
     2,
     "",
     "ファイル " + kDevice + " は開けません（通常のファイルではありません）"},
    {"check_folder",
     {"check", "--tariff", "/"},
     "",
     2,
     "",
     "ファイル / は開けません（通常のファイルではありません）"},
    // Arguments reach the program as typed, in any script and with blanks
    // and quotes: Windows hands them over as UTF-16, not as UTF-8 bytes.
    {"argument_outside_code_page_932",
     {"--from", "서울", "--to", "大阪", "--weight", "2", "--size", "60"},
     "",
     2,
     "",
     "発送地 '서울' は都道府県名ではありません"},
    {"argument_beyond_the_basic_plane",
     {"--from", "東京", "--to", "𠮷野", "--weight", "2", "--size", "60"},
     "",
     2,
     "",
     "届け先 '𠮷野' は都道府県名ではありません"},
    {"argument_with_blanks_and_quotes",
     {"--from", "東 \"京\" \\", "--to", "", "--weight", "2", "--size", "60"},
     "",
     2,
     "",
     "発送地 '東 \"京\" \\' は都道府県名ではありません"},
};
INSTANTIATE_TEST_SUITE_P(Runs, EndToEnd, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EndToEndHelp, PrintsUsageAndExamples) {
    const ProgramRun r = runProgram(kProgram, {"--help"}, "");
    EXPECT_EQ(r.status, 0);
    for (const char* part : {"使い方", "--jsonl", "letter", "book", "--weight", "例", "check",
                             "compare --csv parcels.csv", "--no-bom"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
}

// Without --tariff the program reads Charge.ini in its own folder, wherever
// it was started from.
TEST(EndToEndDefaultTariff, IsBesideTheProgram) {
    hakomaru::test::TempDir home;
    const fs::path program = home.path() / kProgram.filename();
    fs::copy_file(kProgram, program);
    const std::vector<std::string> args = {"letter", "--weight", "50g"};

    ProgramRun r = runProgram(program, args, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Charge.ini は開けません"), std::string::npos) << r.err;

    fs::copy_file(kTestTariffPath, home.path() / "Charge.ini");
    r = runProgram(program, args, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "普通郵便 定形外 50g以下: ¥120\n    送料¥120\n");
    r = runProgram(program, {"--jsonl"}, kBookLine);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kBookAnswer + "\n");

#ifndef _WIN32 // the C++ library makes no links on Windows
    // A link beside the program, as the Debian package's to /etc, is checked
    // and named as the file it leads to: the one a user edits.
    const fs::path kept = fs::canonical(home.path()) / "etc-Charge.ini";
    fs::rename(home.path() / "Charge.ini", kept);
    fs::create_symlink(kept, home.path() / "Charge.ini");
    r = runProgram(program, {"check"}, "");
    EXPECT_NE(r.out.rfind(kept.string() + ": "), std::string::npos) << r.out;
#endif
}

// A file named in Japanese, with a blank, is found and named back as typed.
TEST(EndToEndFileName, JapaneseNameIsKept) {
    hakomaru::test::TempDir dir;
    const fs::path tariff = dir.path() / u8"料金 表.ini";
    fs::copy_file(kTestTariffPath, tariff);
    const std::string name = hakomaru::utf8Of(tariff);
    const ProgramRun r = runProgram(kProgram, {"check", "--tariff", name}, "");
    EXPECT_NE(r.out.find(name + ": 問題が"), std::string::npos) << r.out << r.err;
    EXPECT_EQ(runProgram(kProgram, {"book", "--weight", "50g", "--tariff", name}, "").out,
              "冊子小包 50g以下: ¥180\n    送料¥180\n");
}

// The JSON Lines examples of --help and the README: each request line is
// followed by "→ " and the answer the shipped tariff gives.
TEST(EndToEndDocumentedJsonl, ExamplesAnswerAsShown) {
    const std::string readme = readBytes(fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "../README.md");
    for (const std::string& text : {std::string(hakomaru::cli::helpText()), readme}) {
        std::istringstream lines(text);
        std::string line, requests, answers;
        int examples = 0;
        while (std::getline(lines, line)) {
            line.erase(0, line.find_first_not_of(' '));
            if (line.starts_with(R"({"quote")"))
                requests += line + "\n";
            else if (line.starts_with("→ ")) {
                answers += line.substr(std::string("→ ").size()) + "\n";
                ++examples;
            }
        }
        EXPECT_GE(examples, 4);
        const std::string tariff = std::string(HAKOMARU_SHIPPED_DATA_DIR) + "/Charge.ini";
        const ProgramRun r = runProgram(kProgram, {"--jsonl", "--tariff", tariff}, requests);
        EXPECT_EQ(r.out, answers);
    }
}

// "rows" lists every selection list; a row number there is what a request takes.
TEST(EndToEndRows, ListsTheRowsRequestsTake) {
    const ProgramRun r = runProgram(kProgram, {"rows"}, "");
    EXPECT_EQ(r.status, 0);
    for (const char* row :
         {"  14  東京\n", "  54  同一市内  (届け先のみ ToRow only)\n", "  13  30kg以下\n",
          "   7  170cm以下\n", "  17    4kg以下  (letter, book は取扱不可 not handled)\n",
          "   8  電信払込\n"})
        EXPECT_NE(r.out.find(row), std::string::npos) << row;
}

#ifndef _WIN32 // a conversation over pipes, driven with POSIX calls
// The program with a pipe on either side, driven as a script drives it. No
// read waits more than ten seconds: an answer that does not come fails the
// test instead of hanging it.
class Conversation {
  public:
    explicit Conversation(std::vector<std::string> args) {
        std::signal(SIGPIPE, SIG_IGN); // a program that ended fails the test, not the run
        int in[2], out[2];
        EXPECT_EQ(::pipe(in) | ::pipe(out), 0);
        args.insert(args.begin(), kProgram.string());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if ((pid_ = ::fork()) == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            for (int fd : {in[0], in[1], out[0], out[1]})
                ::close(fd);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        to_ = in[1];
        from_ = out[0];
    }
    ~Conversation() {
        ::close(to_);
        ::close(from_);
        if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0)
            ::waitpid(pid_, nullptr, 0);
    }
    void send(const std::string& text) { EXPECT_GT(::write(to_, text.data(), text.size()), 0); }
    // The next line with its CR LF, or what came before the wait ran out.
    std::string line() {
        size_t end;
        while ((end = buffer_.find("\r\n")) == std::string::npos && more()) {
        }
        std::string line = buffer_.substr(0, end == std::string::npos ? end : end + 2);
        buffer_.erase(0, line.size());
        return line;
    }
    // Ends the input; the exit status once all output has been read.
    int finish() {
        ::close(std::exchange(to_, -1));
        while (more()) {
        }
        int status = 0;
        ::waitpid(std::exchange(pid_, -1), &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    bool more() {
        pollfd ready{from_, POLLIN, 0};
        char chunk[4096];
        const ssize_t n = ::poll(&ready, 1, 10000) == 1 ? ::read(from_, chunk, sizeof chunk) : 0;
        buffer_.append(chunk, static_cast<size_t>(std::max<ssize_t>(n, 0)));
        return n > 0;
    }

    pid_t pid_ = -1;
    int to_ = -1, from_ = -1;
    std::string buffer_;
};

// compare --csv - from a pipe answers each line before the next one is
// sent, whichever line end it has.
TEST(EndToEndPipe, CompareAnswersEachLineAsItComes) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(end == "\r" ? "CR" : end == "\n" ? "LF" : "CR LF");
        Conversation program({"compare", "--csv", "-", "--no-bom", "--tariff", kTestTariffPath});
        ASSERT_EQ(program.line(), "行,発送地,届け先,重さ,サイズ,代引金額,オプション,重さ区分,"
                                  "サイズ区分,ゆうパック,クロネコ,安いほう,差額,エラー\r\n");
        for (int row = 1; row <= 3; ++row) {
            program.send("東京,大阪,2kg,60cm" + end);
            ASSERT_EQ(program.line(), std::to_string(row) +
                                          ",東京,大阪,2kg,60cm,,,2kg以下,60cm以下,1100,1060,"
                                          "クロネコ,40,\r\n");
        }
        EXPECT_EQ(program.finish(), 0);
    }
}
#endif

} // namespace
