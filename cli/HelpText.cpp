#include "HelpText.h"

#include "CsvCompare.h"
#include "CsvReader.h"
#include "ExampleParcels.h"
#include "JsonlProtocol.h"
#include "quote/QuoteCat.h"
#include "selection/OptionTable.h"
#include "tariff/Catalogues.h"
#include "text/Trim.h"

#include <algorithm>
#include <string>
#include <type_traits>

namespace hakomaru::cli {
namespace {

// The columns a UTF-8 text takes on a terminal: Japanese characters two.
size_t columns(std::string_view text) {
    size_t width = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            width += static_cast<unsigned char>(c) < 0x80 ? 1 : 2;
    return width;
}

// One line of an option list: the option, then what it does from column 21.
std::string optionLine(std::string_view option, std::string_view text) {
    const size_t width = 2 + columns(option);
    return "  " + std::string(option) + std::string(width < 20 ? 21 - width : 1, ' ') +
           std::string(text) + "\n";
}

std::string commandLineOf(const OptionNames& names) {
    std::string option = "--" + std::string(names.commandLine);
    if (!names.argument.empty())
        option += " " + std::string(names.argument);
    return option;
}

// The option boxes of one kind (of one carrier), as the command line names them.
template <typename Rows, typename Keep> std::string optionLines(const Rows& rows, Keep keep) {
    std::string lines;
    for (const auto& row : rows)
        if (keep(row))
            lines += optionLine(commandLineOf(row.names), std::string(row.names.name) + " (" +
                                                              std::string(row.names.english) + ")");
    return lines;
}

template <typename Rows> std::string optionLines(const Rows& rows) {
    return optionLines(rows, [](const auto&) { return true; });
}

std::string parcelBoxes() {
    auto of = [](Carrier carrier) {
        return [carrier](const ParcelOptionRow& row) { return row.carrier == carrier; };
    };
    return " ゆうパック:\n" + optionLines(parcelOptions(), of(Carrier::Youpack)) + " クロネコ:\n" +
           optionLines(parcelOptions(), of(Carrier::Cat));
}

std::string csvOptions() {
    const CsvOptionNames names = csvOptionNames();
    const std::string indent(21, ' ');
    return indent + "オプションは空白・「・」で区切った名前:\n" + indent + "  " + names.youpack +
           " (ゆうパック)\n" + indent + "  " + names.cat + " (クロネコ)\n" + indent + "  " +
           names.both + " (両方; 金額は代引金額、書留の申告額も同じ)\n";
}

// The boolean members of one kind of request, and the options they choose.
template <typename Rows, typename Field> std::string jsonMembers(const Rows& rows, Field field) {
    std::string members, names;
    for (const auto& row : rows) {
        if (!(row.*field))
            continue;
        members += (members.empty() ? "" : " ") + std::string(row.names.json);
        names += (names.empty() ? "" : ", ") + std::string(row.names.name);
    }
    return "    " + members + "\n                  真偽値  " + names + "\n";
}

template <typename Rows> std::string jsonMembers(const Rows& rows) {
    return jsonMembers(rows, &std::decay_t<decltype(rows[0])>::field);
}

std::string caption(std::string_view row) {
    return std::string(trimLeadingSpaces(row));
}

// "row 0 = 2kg以下 ... 13 = 30kg以下"
std::string rowRange(std::span<const std::string_view> rows) {
    return "row 0 = " + caption(rows.front()) + " ... " + std::to_string(rows.size() - 1) + " = " +
           caption(rows.back());
}

std::string joined(std::span<const std::string_view> names, std::string_view separator) {
    std::string text;
    for (std::string_view name : names)
        text += (text.empty() ? "" : std::string(separator)) + std::string(name);
    return text;
}

// Each line of `text`, indented.
std::string indented(std::string_view text, size_t by) {
    std::string lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines += std::string(by, ' ') + std::string(text.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    return lines;
}

// The paths this system's users know: the tariff in use and a download.
#ifdef _WIN32
constexpr std::string_view kInstalledPath = "Charge.ini";
constexpr std::string_view kDownloadedPath = "%USERPROFILE%\\Downloads\\Charge.ini";
#else
constexpr std::string_view kInstalledPath = "/etc/hakomaru/Charge.ini";
constexpr std::string_view kDownloadedPath = "~/Downloads/Charge.ini";
#endif

// ---------------------------------------------------------------------------
// The commands' help, each a usage line, a summary, a heading with the
// options and what the command does, and examples.

struct Topic {
    Mode mode;
    std::string_view synopsis; // after the program's name
    std::string_view summary;  // one line or more, as the overview shows them
    std::string_view heading;
    std::string (*body)();
    std::vector<HelpExample> examples;
};

const std::string kTariffLine =
    optionLine("--tariff FILE", "料金表ファイル (default: Charge.ini beside the program)");

// The amount and the remittance method, as every quote takes them.
std::string cashOnDeliveryLines() {
    const int method = TYoupackRequest{}.SokinNo;
    int methods = 0;
    while (!RemittanceMethodName(methods).empty())
        ++methods;
    return optionLine("--cod 金額",
                      "代引金額・書留の申告額、万円単位 (amount in 10,000 yen, e.g. 3 or 2.5)") +
           optionLine("--sokin N", "送金方法の番号 0-" + std::to_string(methods - 1) +
                                       " (remittance method, default " + std::to_string(method) +
                                       " = " + std::string(RemittanceMethodName(method)) + ")");
}

std::string parcelBody() {
    return optionLine("--from 名前",
                      "発送地: 都道府県名 (東京, 北海道; 東京都 のように都府県付きも可)") +
           optionLine("--to 名前", "届け先: 都道府県名、または 同一市内 (same city)") +
           optionLine("--weight 重さ", "重さ: 2kg, 3.5kg, 800g, 2kg以下; 単位なしは kg。") +
           std::string(21, ' ') +
           "その重さが入る一番小さい区分を選びます (smallest class that holds it)\n" +
           optionLine("--weight-row N", "重さを一覧の行番号で (" + rowRange(WeightRows()) + ")") +
           optionLine("--size サイズ", "3辺の合計: 60cm, 75, 100cm以下; 単位なしは cm") +
           optionLine("--size-row N", "サイズを行番号で (" + rowRange(SizeRows()) + ")") +
           cashOnDeliveryLines() + parcelBoxes() +
           " ウィンドウと同じ規則で計算します (priced as the window would): 代引金額が\n"
           " 5 を超えると書留付き、30 を超えるとクロネコは取扱不可、200 を超えると両社とも\n"
           " 取扱不可。ウィンドウで選べない組み合わせ (タイムサービスとクールなど) は\n"
           " 理由を示して断ります。オプションは指定した順に選びます (options are chosen\n"
           " in the order given)。--fukusu N (1-" +
           std::to_string(kMaxParcelCount) + ") のときは両社とも N 個分の料金です。\n";
}

std::string postalWeightRows() {
    return optionLine("--weight-row N",
                      "郵便の重さ一覧の行番号 0-" + std::to_string(PostalWeightRows().size() - 1));
}

std::string letterBody() {
    return optionLine("--weight 重さ", "80g, 1.2kg, 250; 単位なしは g (grams)") +
           postalWeightRows() +
           optionLine("--teikei", "定形 (standard size, up to 50g); ないときは定形外") +
           optionLines(letterOptions()) + cashOnDeliveryLines();
}

std::string bookBody() {
    return optionLine("--weight 重さ", "50g から 3kg まで (3kg を超えると取扱不可)") +
           postalWeightRows() + optionLines(bookOptions()) + cashOnDeliveryLines();
}

std::string jsonlBody() {
    return "  標準入力の 1 行に 1 つの JSON オブジェクト (one request object per line)。\n"
           "  空行や空白だけの行には答えません (blank lines get no answer)。\n"
           "  \"quote\" が種類を選び、ほかのメンバーが計算の入力です。メンバー名は大文字・\n"
           "  小文字もこのとおりです (names are case-sensitive)。ないメンバーは既定値:\n"
           "  真偽値 (boolean) false、文字列 (string) \"\"、整数 (integer) 0、SokinNo は 8。\n"
           "  行 (row) の番号は hakomaru-quote rows が示します。\n"
           "  \"youpack\" ゆうパック:\n"
           "    FromCaption   文字列  発送地の名前、rows のとおり (\"東京\"; \"東京都\" は不可)\n"
           "    ToRow         整数    届け先の行 (都道府県)\n"
           "    WeightRow     整数    重さの行\n" +
           jsonMembers(parcelOptions(), &ParcelOptionRow::youpack) +
           "    DaihikiText   文字列  代引金額・書留の申告額、万円単位 (\"3\", \"2.5\")\n"
           "    SokinNo       整数    送金方法の番号 (既定 8)\n"
           "  \"cat\" クロネコ:\n"
           "    FromRow ToRow 整数    発送地・届け先の行 (都道府県)\n"
           "    WeightRow     整数    重さの行\n"
           "    SizeRow       整数    サイズの行\n" +
           jsonMembers(parcelOptions(), &ParcelOptionRow::cat) +
           "    DaihikiText   文字列  代引金額、万円単位\n"
           "    FukusuText    文字列  複数口の個数 (\"3\")\n"
           "  \"letter\" 普通郵便:\n"
           "    WeightRow     整数    郵便の重さの行\n" +
           jsonMembers(letterOptions()) +
           "    DaihikiText   文字列  代引金額、万円単位\n"
           "    SokinNo       整数    送金方法の番号 (既定 8)\n"
           "  \"book\" 冊子小包:\n"
           "    WeightRow     整数    郵便の重さの行\n" +
           jsonMembers(bookOptions()) +
           "    DaihikiText   文字列  代引金額、万円単位\n"
           "    SokinNo       整数    送金方法の番号 (既定 8)\n" +
           R"(  答え (answers), 1 行に 1 つ:
    youpack, cat  {"Total":整数,"Detail":文字列,"Caption":文字列,"NotHandled":真偽値}
                  Caption は youpack の地帯、cat は ""。取扱不可は NotHandled true。
    letter, book  {"State":"Quoted"|"NoQuote"|"NotAvailable","Total":整数,"Detail":文字列}
                  NoQuote は見出しの行、NotAvailable は取扱不可。
    計算できない  {"Error":理由}  (youpack は Caption も): 数でない料金欄、
                  0-)" +
           std::to_string(kMaxParcelCount) +
           R"( の外の複数口の個数、32 ビットに収まらない金額
    要求の誤り    {"InvalidRequest":理由}: JSON でない、型の誤り、その種類にない
                  メンバー、)" +
           std::to_string(kMaxRequestLine / (1024 * 1024)) +
           R"( MiB を超える行
  どちらのときも次の行へ進みます (the batch goes on)。
  要求と答えの例 (答えは同梱の開発用料金表 data/Charge.ini のもの):
    {"quote":"youpack","FromCaption":"東京","ToRow":30,"WeightRow":1,"Shitei":true}
    → {"Total":1170,"Detail":"送料¥1,110\r\n + 配達日指定¥60\r\n","Caption":"ゆうパック 第4地帯","NotHandled":false}
    {"quote":"cat","FromRow":14,"ToRow":30,"WeightRow":1,"SizeRow":1,"Home":true}
    → {"Total":1200,"Detail":"送料¥1,100\r\n + 引取¥100\r\n","Caption":"","NotHandled":false}
    {"quote":"letter","WeightRow":5,"Sokutatsu":true}
    → {"State":"Quoted","Total":420,"Detail":"送料¥140 + 速達¥280"}
    {"quote":"book","WeightRow":10,"Daihiki":true,"DaihikiText":"1"}
    → {"State":"Quoted","Total":710,"Detail":"送料¥300 + 代引手数料¥260\r\n + 送金手数料¥150\r\n"}
)";
}

std::string compareBody() {
    const std::string indent(21, ' ');
    const auto outputs = csvOutputColumns();
    const size_t half = outputs.size() / 2 + 1;
    return optionLine("--csv FILE", "入力 CSV、- なら標準入力。1 行に 1 個の荷物:") + indent +
           "  " + joined(csvInputColumns(), ",") + "\n" + indent +
           "代引金額とオプションは省略可。先頭が「" + std::string(csvInputColumns()[0]) +
           "」の行は見出し。\n" + csvOptions() + indent +
           "複数口=N のとき両社とも N 個分の料金です。\n" + indent +
           "入力は UTF-8 (BOM 可) か Shift-JIS。その文字コードで読めない\n" + indent +
           "行はエラー列に行番号と文字コードを示し、次の行へ進みます。\n" + indent +
           "1 行 (引用符内の改行を含む 1 件) は区切りも数えて " +
           std::to_string(kMaxRecordBytes / 1024) + " KiB まで。\n" + indent +
           "パイプや端末へは 1 行ごとにすぐ答えを書きます。\n" +
           optionLine("--no-bom", "出力の先頭に BOM を付けない (default: UTF-8 with BOM)") +
           optionLine("--sokin N", "ゆうパック代引の送金方法 0-8 (default 8)") +
           "  出力の列 (output columns):\n    " + joined(outputs.first(half), ",") + ",\n    " +
           joined(outputs.subspan(half), ",") + "\n" +
           "  読めない行はエラー列に理由を書き、次の行へ進みます (bad rows: error column).\n" +
           "  例の parcels.csv (同梱の docs/parcels.csv):\n" + indented(kExampleParcels, 4);
}

std::string checkBody() {
    return R"(  地帯区分・料金行の欠け、短すぎる料金行、数でない欄、整数でない
  オプション料金、不明なセクションやキー、Shift-JIS でないファイルなどを
  「ファイル:行: [セクション] キー: 内容」の形で示します。
  終了コード: 0 問題なし, 1 問題あり, 2 ファイルを読めない。
)";
}

std::string setBody() {
    return R"(  SECTION と KEY で行を、料金表の行なら COLUMN で欄を選びます。COLUMN は一覧の
  とおりです: 重さ (2kg以下)、サイズ (60cm以下)、地帯区分では届け先 (大阪)、
  普通郵便では 定形 25g以下 / 定形外 50g以下、冊子小包では 150g以下 など。
  末尾の「以下」は省略できます。オプションの料金は COLUMN なしです。
  欄の幅に収まる数字 (地帯は料金行のある地帯の 1 文字) だけを受け付け、
  全角の数字・英字は半角として、1,200 のような桁区切りのコンマも読みます。
  その欄のバイトだけを書き換えます。コメント・空行・行末・ほかの行はそのまま
  です。ファイルにないオプションの行は、そのセクションの末尾に足します。
  書き換えた欄は diff と同じく「表 行 欄: 前の値 → 新しい値」と示します。
  保存は設定ファイルと同じく一時ファイルを経て置き換えます (atomic save)。
  Shift-JIS でないファイルは書き換えません。
  終了コード: 0 書き換えた, 1 値が欄に合わない・欄がない・保存できない,
  2 引数の誤り、またはファイルを読めない。
)";
}

std::string diffBody() {
    return R"(  OLD から NEW への違いを「表 行 欄: OLD の値 → NEW の値」の形で 1 行ずつ
  標準出力に、違いの数を標準エラーに示します。料金表・地帯区分・オプションの
  欄と、それ以外のセクションやキー (読まれる行だけ) を比べます。コメントや
  空行の違いは示しません。片方のファイルにない値は （なし） です。新しい
  料金表を入れる前に、使っている料金表との違いを確かめられます。
  終了コード: 0 違いなし, 1 違いあり, 2 ファイルを読めない・Shift-JIS でない。
)";
}

std::string rowsBody() {
    return "  都道府県・重さ・サイズ・郵便の重さ・送金方法の一覧を、JSON Lines の要求や\n"
           "  --weight-row, --size-row, --sokin がとる行番号付きで示します。\n";
}

const std::vector<Topic>& topics() {
    using E = HelpExample;
    static const std::vector<Topic> all{
        {Mode::Parcel,
         "--from 発送地 --to 届け先 --weight 重さ --size サイズ [オプション]",
         "ゆうパックとクロネコの料金を比べます (compare both parcel carriers)",
         "荷物 (parcels)",
         parcelBody,
         {E{{"--from", "東京", "--to", "大阪", "--weight", "2kg", "--size", "60cm"}},
          E{{"--from", "大阪府", "--to", "同一市内", "--weight", "4.5", "--size", "80",
             "--cat-home", "--kakitome", "--cod", "15"}},
          E{{"--from", "東京", "--to", "北海道", "--weight-row", "3", "--size-row", "2",
             "--cat-daihiki", "--cod", "3"}}}},
        {Mode::Letter,
         "letter --weight 重さ [オプション]",
         "普通郵便の料金 (letter mail)",
         "普通郵便 (letter)",
         letterBody,
         {E{{"letter", "--weight", "80g", "--sokutatsu", "--kakitome"}},
          E{{"letter", "--teikei", "--weight", "25g"}}}},
        {Mode::Book,
         "book --weight 重さ [オプション]",
         "冊子小包の料金 (book parcels)",
         "冊子小包 (book)",
         bookBody,
         {E{{"book", "--weight", "500g", "--sokutatsu", "--daihiki", "--cod", "1"}},
          E{{"book", "--weight", "1.2kg", "--cyaku", "--kani"}}}},
        {Mode::Jsonl,
         "--jsonl",
         "標準入力の JSON Lines 要求に 1 行ずつ答えます (JSON Lines batch mode)",
         "JSON Lines (--jsonl)",
         jsonlBody,
         {E{{"--jsonl"}, R"({"quote":"letter","WeightRow":4})"}}},
        {Mode::Compare,
         "compare --csv FILE [--no-bom] [--sokin N]",
         "CSV の荷物ごとに両社の料金を比べ、CSV で出力します (batch comparison)",
         "一括比較 (compare)",
         compareBody,
         {E{{"compare", "--csv", "parcels.csv"},
            "",
            "result.csv",
            "2,東京,大阪,2kg,60cm,,,2kg以下,60cm以下,940,860,クロネコ,80,"}}},
        {Mode::Check,
         "check",
         "料金表ファイルを検査し、問題を行番号付きで示します (check a tariff file)",
         "検査 (check)",
         checkBody,
         {E{{"check"}}, E{{"check", "--tariff", "Charge.ini"}}}},
        {Mode::Set,
         "set SECTION KEY [COLUMN] VALUE",
         "料金表ファイルの欄を 1 つ書き換えます (change one field of a tariff file)",
         "書き換え (set)",
         setBody,
         {E{{"set", "ゆうパック", "第1地帯", "2kg以下", "820"}},
          E{{"set", "北海道", "関東", "60cm", "1300"}}, E{{"set", "地帯区分", "東京", "大阪", "5"}},
          E{{"set", "速達", "2kg", "320"}},
          E{{"set", "--tariff", "Charge.ini", "複数口", "料金", "120"}}}},
        {Mode::Diff,
         "diff OLD NEW",
         "2 つの料金表ファイルの違う欄をすべて示します (compare two tariff files)",
         "比較 (diff)",
         diffBody,
         {E{{"diff", kInstalledTariff, kDownloadedTariff}}}},
        {Mode::Rows,
         "rows",
         "一覧 (都道府県・重さ・サイズ・郵便の重さ・送金方法) を行番号付きで示します\n"
         "(the lists with the row numbers that requests and --*-row use)",
         "一覧 (rows)",
         rowsBody,
         {E{{"rows"}}}},
    };
    return all;
}

std::string usageLine(const Topic& topic) {
    std::string line = "  hakomaru-quote " + std::string(topic.synopsis);
    if (readsTariff(topic.mode))
        line += " [--tariff FILE]";
    return line + "\n" + indented(topic.summary, 6);
}

std::string section(const Topic& topic) {
    std::string text = std::string(topic.heading) + ":\n";
    if (readsTariff(topic.mode))
        text += kTariffLine;
    text += topic.body();
    text += "  例 (examples):\n";
    for (const HelpExample& example : topic.examples) {
        text += "    " + exampleCommand(example) + "\n";
        if (!example.shows.empty())
            text += "      " + std::string(example.output) + ":\n        " +
                    joined(csvOutputColumns(), ",") + "\n        " + std::string(example.shows) +
                    "\n";
    }
    return text;
}

const Topic& topicOf(Mode mode) {
    const auto& all = topics();
    const auto found =
        std::find_if(all.begin(), all.end(), [mode](const Topic& t) { return t.mode == mode; });
    return found == all.end() ? all.front() : *found;
}

constexpr std::string_view kIntroduction =
    "はこ丸 料金計算 (hakomaru-quote) — 荷物と郵便の料金を計算します\n"
    "(quotes parcels and postal items from the tariff file Charge.ini)\n\n";

constexpr std::string_view kValues = "値は \"--name 値\" または \"--name=値\" で指定します。\n";

constexpr std::string_view kExitStatus = R"(終了コード (exit status):
  0  すべて計算できた (every quote was made)
  1  計算できない料金があった (a quote failed; --jsonl: an answer is an Error or
     an InvalidRequest; compare: a row has an error; check: the tariff has
     problems; diff: the files differ), または出力を書き込めなかった (output could not be written)
  2  引数の誤り、または指定したファイルを読めない (bad command line, or a file
     named on it cannot be read)
)";

} // namespace

std::vector<CommandExamples> helpExamples() {
    std::vector<CommandExamples> all;
    for (const Topic& topic : topics())
        all.push_back({topic.mode, topic.examples});
    return all;
}

std::string exampleCommand(const HelpExample& example) {
    std::string command = "hakomaru-quote";
    for (std::string_view arg : example.args)
        command += " " + std::string(arg == kInstalledTariff    ? kInstalledPath
                                     : arg == kDownloadedTariff ? kDownloadedPath
                                                                : arg);
    if (!example.input.empty()) {
#ifdef _WIN32
        command = "echo " + std::string(example.input) + "| " + command;
#else
        command = "printf '%s\\n' '" + std::string(example.input) + "' | " + command;
#endif
    }
    if (!example.output.empty())
        command += " > " + std::string(example.output);
    return command;
}

const std::string& helpText() {
    static const std::string text = [] {
        std::string all = std::string(kIntroduction) + "使い方 (usage):\n";
        for (const Topic& topic : topics())
            all += usageLine(topic);
        all += "  hakomaru-quote --help\n      この説明 (this help)\n"
               "  hakomaru-quote COMMAND --help\n      コマンドごとの説明 (one command's help)\n"
               "  hakomaru-quote --version\n"
               "      版番号 (the version, as the about window shows it)\n\n";
        all += kValues;
        for (const Topic& topic : topics())
            all += "\n" + section(topic);
        return all + "\n" + std::string(kExitStatus);
    }();
    return text;
}

std::string commandHelpText(Mode command) {
    const Topic& topic = topicOf(command);
    return "使い方 (usage):\n" + usageLine(topic) + "\n" + std::string(kValues) + "\n" +
           section(topic) +
           "\nほかのコマンドと終了コード (all commands, exit status): " + "hakomaru-quote --help\n";
}

} // namespace hakomaru::cli
