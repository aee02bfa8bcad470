#include "CommandLine.h"

#include "Selections.h"
#include "UsageError.h"
#include "selection/OptionTable.h"
#include "system/FileRead.h"
#include "tariff/Catalogues.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace hakomaru::cli {
namespace {

struct Option {
    std::string_view name; // without the leading "--"
    bool takesValue;
    std::function<void(std::string_view)> apply;
};

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

void readOptions(std::span<const std::string_view> args, const std::vector<Option>& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--") || arg.size() == 2)
            throw UsageError("余分な引数 " + quoted(arg) + " があります");
        const size_t equals = arg.find('=');
        const std::string_view name = arg.substr(2, equals == arg.npos ? arg.npos : equals - 2);
        auto option = std::find_if(options.begin(), options.end(),
                                   [&](const Option& o) { return o.name == name; });
        if (option == options.end())
            throw UsageError("不明なオプション --" + std::string(name) + " です");
        if (!option->takesValue) {
            if (equals != arg.npos)
                throw UsageError("--" + std::string(name) + " は値をとりません");
            option->apply({});
        } else if (equals != arg.npos) {
            option->apply(arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            option->apply(args[++i]);
        } else {
            throw UsageError("--" + std::string(name) + " には値が必要です");
        }
    }
}

Option flag(std::string_view name, bool& target) {
    return {name, false, [&target](std::string_view) { target = true; }};
}

// The option boxes of one kind, by their command-line names: each joins
// the others in the order given. `value` takes the value of a box that has
// one (the parcel count of 複数口).
template <typename Rows, typename Choice>
std::vector<Option> boxes(const Rows& rows, std::vector<Choice>& chosen,
                          const std::function<void(std::string_view)>& value = {}) {
    std::vector<Option> options;
    for (const auto& row : rows) {
        const bool takesValue = !row.names.argument.empty();
        options.push_back({row.names.commandLine, takesValue,
                           [&chosen, option = row.option, takesValue, value](std::string_view v) {
                               chosen.push_back(option);
                               if (takesValue)
                                   value(v);
                           }});
    }
    return options;
}

std::string amountText(std::string_view text) {
    return codAmountOf(text);
}

std::string parcelCount(std::string_view text) {
    return parcelCountOf(text);
}

int remittanceMethod(std::string_view text) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '8')
        throw UsageError("送金方法 " + quoted(text) + " は 0 から 8 の番号で指定してください");
    return text[0] - '0';
}

int required(const std::optional<int>& row, std::string_view option, std::string_view what) {
    if (!row)
        throw UsageError(std::string(option) + "（" + std::string(what) + "）を指定してください");
    return *row;
}

Invocation parseParcel(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Parcel;
    ParcelChoices& p = inv.parcel;
    std::vector<ParcelOption>& chosen = p.options;
    std::optional<int> from, to, weight, size;
    const int weightRows = static_cast<int>(WeightRows().size());
    const int sizeRows = static_cast<int>(SizeRows().size());
    std::vector<Option> options = {
        {"from", true, [&](std::string_view v) { from = sendingRowOf(v); }},
        {"to", true, [&](std::string_view v) { to = destinationRowOf(v); }},
        {"weight", true, [&](std::string_view v) { weight = parcelWeightRowOf(v); }},
        {"weight-row", true,
         [&](std::string_view v) { weight = rowNumberOf(v, weightRows, "重さ"); }},
        {"size", true, [&](std::string_view v) { size = sizeRowOf(v); }},
        {"size-row", true, [&](std::string_view v) { size = rowNumberOf(v, sizeRows, "サイズ"); }},
        {"cod", true, [&](std::string_view v) { p.amount = amountText(v); }},
        {"sokin", true, [&](std::string_view v) { p.remittance = remittanceMethod(v); }},
    };
    for (Option& box : boxes(parcelOptions(), chosen,
                             [&p](std::string_view v) { p.parcelCount = parcelCount(v); }))
        options.push_back(std::move(box));
    readOptions(args, options);
    p.fromRow = required(from, "--from", "発送地");
    p.toRow = required(to, "--to", "届け先");
    p.weightRow = required(weight, "--weight", "重さ");
    p.sizeRow = required(size, "--size", "サイズ");
    return inv;
}

// The postal weight: the last of --weight and --weight-row decides; --teikei
// picks the standard-size rows for a weight given as a weight.
struct PostalWeight {
    std::optional<std::string> text;
    std::optional<int> row;
    bool standardSize = false;

    std::vector<Option> options() {
        const int rows = static_cast<int>(PostalWeightRows().size());
        return {
            {"weight", true,
             [this](std::string_view v) {
                 text = std::string(v);
                 row.reset();
             }},
            {"weight-row", true,
             [this, rows](std::string_view v) {
                 row = rowNumberOf(v, rows, "重さ");
                 text.reset();
             }},
        };
    }
    int resolve() const {
        if (text)
            return postalWeightRowOf(*text, standardSize);
        return required(row, "--weight", "重さ");
    }
};

template <typename Choice> std::vector<Option> cashOnDeliveryOptions(PostalChoices<Choice>& c) {
    return {
        {"cod", true, [&c](std::string_view v) { c.amount = amountText(v); }},
        {"sokin", true, [&c](std::string_view v) { c.remittance = remittanceMethod(v); }},
    };
}

std::vector<Option> joined(std::vector<Option> a, const std::vector<Option>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Invocation parseLetter(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Letter;
    LetterChoices& c = inv.letter;
    PostalWeight weight;
    std::vector<Option> options = {flag("teikei", weight.standardSize)};
    options = joined(joined(options, weight.options()), cashOnDeliveryOptions(c));
    readOptions(args, joined(options, boxes(letterOptions(), c.options)));
    c.weightRow = weight.resolve();
    return inv;
}

Invocation parseBook(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Book;
    BookChoices& c = inv.book;
    PostalWeight weight;
    std::vector<Option> options = joined(weight.options(), cashOnDeliveryOptions(c));
    readOptions(args, joined(options, boxes(bookOptions(), c.options)));
    c.weightRow = weight.resolve();
    return inv;
}

Invocation parseCheck(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Check;
    readOptions(args, {});
    return inv;
}

Invocation parseCompare(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Compare;
    bool noBom = false;
    std::optional<std::string> csv;
    readOptions(args, {
                          {"csv", true, [&](std::string_view v) { csv = std::string(v); }},
                          flag("no-bom", noBom),
                          {"sokin", true,
                           [&](std::string_view v) { inv.remittance = remittanceMethod(v); }},
                      });
    if (!csv || csv->empty())
        throw UsageError("--csv FILE（標準入力は --csv -）を指定してください");
    inv.csv = *csv;
    inv.bom = !noBom;
    return inv;
}

// SECTION KEY [COLUMN] VALUE. An argument after "--" is taken as it is,
// even one starting with "--".
Invocation parseSet(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Set;
    std::vector<std::string> positional;
    std::vector<std::string_view> options;
    bool plain = false;
    for (const std::string_view arg : args) {
        if (!plain && arg == "--")
            plain = true;
        else if (!plain && arg.starts_with("--"))
            options.push_back(arg);
        else
            positional.emplace_back(arg);
    }
    readOptions(options, {});
    if (positional.size() < 3 || positional.size() > 4)
        throw UsageError("set にはセクション、キー、（欄、）値を指定してください: "
                         "set [--tariff FILE] SECTION KEY [COLUMN] VALUE");
    inv.value = positional.back();
    positional.pop_back();
    inv.field = std::move(positional);
    return inv;
}

// OLD NEW: two file names; an argument after "--" is a name even when it
// starts with "--".
Invocation parseDiff(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Diff;
    bool plain = false;
    for (const std::string_view arg : args) {
        if (!plain && arg == "--")
            plain = true;
        else if (!plain && arg.starts_with("--"))
            throw UsageError("diff にオプション " + std::string(arg) + " はありません");
        else
            inv.files.push_back(pathFromUtf8(arg));
    }
    if (inv.files.size() != 2)
        throw UsageError("diff には比べる 2 つのファイルを指定してください: diff OLD NEW");
    return inv;
}

Invocation parseRows(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Rows;
    readOptions(args, {});
    return inv;
}

Invocation parseJsonl(std::span<const std::string_view> args) {
    Invocation inv;
    inv.mode = Mode::Jsonl;
    bool jsonl = false;
    readOptions(args, {flag("jsonl", jsonl)});
    return inv;
}

// The commands: the name that chooses each (after a --tariff at most), or
// the option (--jsonl) or nothing (the parcel comparison), and whether it
// reads the tariff and so takes --tariff FILE anywhere among its arguments.
struct Command {
    Mode mode;
    std::string_view name; // "" for the parcel comparison and --jsonl
    Invocation (*parse)(std::span<const std::string_view>);
    // Why a command that reads no tariff takes no --tariff; empty for one
    // that reads it.
    std::string_view noTariff;
};

const std::vector<Command>& commands() {
    static const std::vector<Command> all{
        {Mode::Parcel, "", parseParcel, ""},
        {Mode::Letter, "letter", parseLetter, ""},
        {Mode::Book, "book", parseBook, ""},
        {Mode::Jsonl, "", parseJsonl, ""},
        {Mode::Compare, "compare", parseCompare, ""},
        {Mode::Check, "check", parseCheck, ""},
        {Mode::Set, "set", parseSet, ""},
        {Mode::Diff, "diff", parseDiff, "比べる 2 つのファイルは OLD NEW で指定します"},
        {Mode::Rows, "rows", parseRows, "一覧は料金表によらず同じです"},
    };
    return all;
}

const Command* commandOf(Mode mode) {
    for (const Command& command : commands())
        if (command.mode == mode)
            return &command;
    return nullptr;
}

} // namespace

bool readsTariff(Mode mode) {
    const Command* command = commandOf(mode);
    return command && command->noTariff.empty();
}

Invocation parseCommandLine(std::span<const std::string_view> args) {
    // Options end at "--": after it, set and diff take names as they are.
    const auto plainFrom = std::find(args.begin(), args.end(), "--");
    auto has = [&](std::string_view name) {
        return std::find(args.begin(), plainFrom, name) != plainFrom;
    };
    // The command's name comes first, after a --tariff at most.
    size_t first = 0;
    while (first < args.size() &&
           (args[first] == "--tariff" || args[first].starts_with("--tariff=")))
        first += args[first] == "--tariff" ? 2 : 1;
    const Command* command = commandOf(has("--jsonl") ? Mode::Jsonl : Mode::Parcel);
    for (const Command& named : commands())
        if (!named.name.empty() && first < args.size() && args[first] == named.name)
            command = &named;

    Invocation inv;
    if (has("--help") || has("-h")) {
        // A command's own help; the whole help for the parcel comparison.
        if (command->mode != Mode::Parcel)
            inv.helpTopic = command->mode;
        return inv;
    }
    if (has("--version")) {
        inv.mode = Mode::Version;
        return inv;
    }
    if (args.empty())
        throw UsageError("引数がありません");

    // The rest without the command's name, and --tariff FILE taken out
    // wherever it stands before "--".
    std::vector<std::string_view> rest;
    std::optional<std::filesystem::path> tariff;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool option = args.begin() + static_cast<long>(i) < plainFrom;
        if (i == first && !command->name.empty())
            continue;
        if (!option || (arg != "--tariff" && !arg.starts_with("--tariff="))) {
            rest.push_back(arg);
            continue;
        }
        if (!command->noTariff.empty())
            throw UsageError(std::string(command->name) + " に --tariff はありません（" +
                             std::string(command->noTariff) + "）");
        if (arg == "--tariff" && i + 1 == args.size())
            throw UsageError("--tariff には値が必要です");
        tariff = pathFromUtf8(arg == "--tariff" ? args[++i]
                                                : arg.substr(std::string_view("--tariff=").size()));
    }
    inv = command->parse(rest);
    inv.tariff = tariff;
    return inv;
}

} // namespace hakomaru::cli
