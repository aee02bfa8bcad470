#include "JsonlBatch.h"
#include "TestTariff.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <sstream>

namespace {

struct Case {
    const char* name;
    std::string input;
    std::string output;
    int status;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class JsonlBatch : public testing::TestWithParam<Case> {};

TEST_P(JsonlBatch, AnswersEveryRequestInOrder) {
    const Case& c = GetParam();
    std::istringstream in(c.input);
    std::ostringstream out;
    EXPECT_EQ(hakomaru::cli::runJsonlBatch(testTariff(), in, out), c.status);
    EXPECT_EQ(out.str(), c.output);
}

const std::string kBook = R"({"quote":"book","WeightRow":4})";
const std::string kBookAnswer = R"({"State":"Quoted","Total":180,"Detail":"送料¥180"})";
const std::string kNoQuote = R"({"State":"NoQuote","Total":0,"Detail":""})";
const std::string kFailed = R"({"Error":"'' は整数ではありません"})";

const Case kCases[] = {
    {"empty_input", "", "", 0},
    {"only_blank_lines", "\n  \n\t\r\n", "", 0},
    {"in_order", kBook + "\n" + R"({"quote":"letter"})" + "\n",
     kBookAnswer + "\n" + kNoQuote + "\n", 0},
    {"last_line_without_end", kBook, kBookAnswer + "\n", 0},
    {"crlf_line_ends", kBook + "\r\n\r\n" + kBook + "\r\n", kBookAnswer + "\n" + kBookAnswer + "\n",
     0},
    {"blank_lines_skipped", "\n" + kBook + "\n\n   \n" + kBook + "\n",
     kBookAnswer + "\n" + kBookAnswer + "\n", 0},
    {"failed_quote_fails_the_run",
     R"({"quote":"letter","WeightRow":18})"
     "\n" +
         kBook,
     kFailed + "\n" + kBookAnswer + "\n", 1},
    {"invalid_line_goes_on", "{\n" + kBook + "\n",
     R"({"InvalidRequest":"not valid JSON at byte 2"})"
     "\n" +
         kBookAnswer + "\n",
     1},
    {"invalid_last_line", kBook + "\n[]\n",
     kBookAnswer + "\n" +
         R"({"InvalidRequest":"not a JSON object"})"
         "\n",
     1},
    // Lines that run across input blocks, up to and beyond the longest line.
    {"line_of_1_MiB_with_crlf", kBook + std::string((1 << 20) - kBook.size(), ' ') + "\r\n" + kBook,
     kBookAnswer + "\n" + kBookAnswer + "\n", 0},
    {"line_over_1_MiB_skipped", kBook + std::string((1 << 20) - kBook.size() + 1, ' ') + "\n" + kBook,
     R"({"InvalidRequest":"line longer than 1048576 bytes"})"
     "\n" +
         kBookAnswer + "\n",
     1},
    {"endless_line", std::string(3 << 20, '\0'),
     R"({"InvalidRequest":"line longer than 1048576 bytes"})"
     "\n",
     1},
};
INSTANTIATE_TEST_SUITE_P(Batches, JsonlBatch, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Answers are written in blocks: a batch larger than one block loses no line.
TEST(JsonlBatchBlocks, LongBatchKeepsEveryAnswer) {
    std::string input;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        input += i % 2 ? kBook + "\n"
                       : R"({"quote":"letter"})"
                         "\n";
        expected += (i % 2 ? kBookAnswer : kNoQuote) + "\n";
    }
    std::istringstream in(input);
    std::ostringstream out;
    EXPECT_EQ(hakomaru::cli::runJsonlBatch(testTariff(), in, out), 0);
    EXPECT_EQ(out.str(), expected);
}

// One line per read, as from a program that waits for each answer before
// it sends the next request: each answer must be written before that read.
struct LineByLine : std::streambuf {
    std::vector<std::string> lines_;
    const std::ostringstream& out_;
    size_t next_ = 0;
    LineByLine(std::vector<std::string> lines, const std::ostringstream& out)
        : lines_(std::move(lines)), out_(out) {}
    int_type underflow() override {
        const std::string answers = out_.str();
        EXPECT_EQ(static_cast<size_t>(std::count(answers.begin(), answers.end(), '\n')), next_);
        if (next_ == lines_.size())
            return traits_type::eof();
        std::string& line = lines_[next_++];
        setg(line.data(), line.data(), line.data() + line.size());
        return traits_type::to_int_type(line[0]);
    }
};

TEST(JsonlBatchBlocks, AnswersBeforeWaitingForMoreInput) {
    std::ostringstream out;
    LineByLine source({kBook + "\n", kBook + "\n"}, out);
    std::istream in(&source);
    EXPECT_EQ(hakomaru::cli::runJsonlBatch(testTariff(), in, out), 0);
}

// Answers that cannot be written make the run fail, even when every request
// was well formed.
TEST(JsonlBatchOutput, WriteFailureIsNotSuccess) {
    std::istringstream in(kBook + "\n");
    std::ostream nowhere(nullptr); // every write fails
    EXPECT_EQ(hakomaru::cli::runJsonlBatch(testTariff(), in, nowhere), 1);
}

} // namespace
