#include "HelpText.h"

#include "CsvCompare.h"
#include "selection/OptionTable.h"

#include <algorithm>
#include <string>
#include <type_traits>

namespace hakomaru::cli {
namespace {

// One line of an option list: the option, then what it does from column 21.
std::string optionLine(std::string_view option, std::string_view text) {
    std::string line = "  " + std::string(option);
    line.resize(std::max<size_t>(line.size() + 1, 21), ' ');
    return line + std::string(text) + "\n";
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

} // namespace

const std::string& helpText() {
    static const std::string text =
        R"(はこ丸 料金計算 (hakomaru-quote) — 荷物と郵便の料金を計算します
(quotes parcels and postal items from the tariff file Charge.ini)

使い方 (usage):
  hakomaru-quote --from 発送地 --to 届け先 --weight 重さ --size サイズ [オプション]
      ゆうパックとクロネコの料金を比べます (compare both parcel carriers)
  hakomaru-quote letter --weight 重さ [オプション]
      普通郵便の料金 (letter mail)
  hakomaru-quote book --weight 重さ [オプション]
      冊子小包の料金 (book parcels)
  hakomaru-quote --jsonl [--tariff FILE]
      標準入力の JSON Lines 要求に 1 行ずつ答えます (JSON Lines batch mode)
      計算できない要求には {"Error": 理由} (数でない料金欄、0-999 の外の
      複数口の個数、32 ビットに収まらない金額)、要求として読めない行には
      {"InvalidRequest": 理由} (JSON でない、型の誤り、その種類にないメンバー、
      1 MiB を超える行) を返し、次の行へ進みます
  hakomaru-quote compare --csv FILE [--no-bom] [--sokin N] [--tariff FILE]
      CSV の荷物ごとに両社の料金を比べ、CSV で出力します (batch comparison)
  hakomaru-quote check [--tariff FILE]
      料金表ファイルを検査し、問題を行番号付きで示します (check a tariff file)
  hakomaru-quote set [--tariff FILE] SECTION KEY [COLUMN] VALUE
      料金表ファイルの欄を 1 つ書き換えます (change one field of a tariff file)
  hakomaru-quote diff OLD NEW
      2 つの料金表ファイルの違う欄をすべて示します (compare two tariff files)
  hakomaru-quote rows
      一覧 (都道府県・重さ・サイズ・郵便の重さ・送金方法) を行番号付きで示します
      (the lists with the row numbers that requests and --*-row use)
  hakomaru-quote --help
      この説明 (this help)
  hakomaru-quote --version
      版番号 (the version, as the about window shows it)

値は "--name 値" または "--name=値" で指定します。

荷物 (parcels):
  --from 名前        発送地: 都道府県名 (東京, 北海道; 東京都 のように都府県付きも可)
  --to 名前          届け先: 都道府県名、または 同一市内 (same city)
  --weight 重さ      重さ: 2kg, 3.5kg, 800g, 2kg以下; 単位なしは kg。
                     その重さが入る一番小さい区分を選びます (smallest class that holds it)
  --weight-row N     重さを一覧の行番号で (row 0 = 2kg以下 ... 13 = 30kg以下)
  --size サイズ      3辺の合計: 60cm, 75, 100cm以下; 単位なしは cm
  --size-row N       サイズを行番号で (row 0 = 60cm以下 ... 7 = 170cm以下)
  --cod 金額         代引金額・書留の申告額、万円単位 (amount in 10,000 yen, e.g. 3 or 2.5)
  --sokin N          送金方法の番号 0-8 (remittance method, default 8 = 電信払込)
)" + parcelBoxes() +
        R"( ウィンドウと同じ規則で計算します (priced as the window would): 代引金額が
 5 を超えると書留付き、30 を超えるとクロネコは取扱不可、200 を超えると両社とも
 取扱不可。ウィンドウで選べない組み合わせ (タイムサービスとクールなど) は
 理由を示して断ります。オプションは指定した順に選びます (options are chosen
 in the order given)。--fukusu N (1-999) のときは両社とも N 個分の料金です。

普通郵便 (letter):
  --weight 重さ      80g, 1.2kg, 250; 単位なしは g (grams)
  --weight-row N     郵便の重さ一覧の行番号 0-17
  --teikei           定形 (standard size, up to 50g); ないときは定形外
)" + optionLines(letterOptions()) +
        "  --cod 金額, --sokin N は荷物と同じ\n" +
        R"(
冊子小包 (book):
  --weight 重さ      50g から 3kg まで (3kg を超えると取扱不可)
  --weight-row N     郵便の重さ一覧の行番号 0-17
)" + optionLines(bookOptions()) +
        "  --cod 金額, --sokin N は荷物と同じ\n" +
        R"(
一括比較 (compare):
  --csv FILE         入力 CSV、- なら標準入力。1 行に 1 個の荷物:
                       発送地,届け先,重さ,サイズ,代引金額,オプション
                     代引金額とオプションは省略可。先頭が「発送地」の行は見出し。
)" + csvOptions() +
        R"(                     複数口=N のとき両社とも N 個分の料金です。
                     入力は UTF-8 (BOM 可) か Shift-JIS。その文字コードで読めない
                     行はエラー列に行番号と文字コードを示し、次の行へ進みます。
                     1 行 (引用符内の改行を含む 1 件) は区切りも数えて 64 KiB まで。
                     パイプや端末へは 1 行ごとにすぐ答えを書きます。
  --no-bom           出力の先頭に BOM を付けない (default: UTF-8 with BOM)
  --sokin N          ゆうパック代引の送金方法 0-8 (default 8)
  出力の列 (output columns):
    行,発送地,届け先,重さ,サイズ,代引金額,オプション,重さ区分,サイズ区分,
    ゆうパック,クロネコ,安いほう,差額,エラー
  読めない行はエラー列に理由を書き、次の行へ進みます (bad rows: error column).

検査 (check):
  地帯区分・料金行の欠け、短すぎる料金行、数でない欄、整数でない
  オプション料金、不明なセクションやキー、Shift-JIS でないファイルなどを
  「ファイル:行: [セクション] キー: 内容」の形で示します。
  終了コード: 0 問題なし, 1 問題あり, 2 ファイルを読めない。

書き換え (set):
  SECTION と KEY で行を、料金表の行なら COLUMN で欄を選びます。COLUMN は一覧の
  とおりです: 重さ (2kg以下)、サイズ (60cm以下)、地帯区分では届け先 (大阪)、
  普通郵便では 定形 25g以下 / 定形外 50g以下、冊子小包では 150g以下 など。
  末尾の「以下」は省略できます。オプションの料金は COLUMN なしです。
    hakomaru-quote set ゆうパック 第1地帯 2kg以下 820
    hakomaru-quote set 北海道 関東 60cm 1300
    hakomaru-quote set 地帯区分 東京 大阪 5
    hakomaru-quote set 速達 2kg 320
  欄の幅に収まる数字 (地帯は料金行のある地帯の 1 文字) だけを受け付け、
  全角の数字・英字は半角として、1,200 のような桁区切りのコンマも読みます。
  その欄のバイトだけを書き換えます。コメント・空行・行末・ほかの行はそのまま
  です。ファイルにないオプションの行は、そのセクションの末尾に足します。
  保存は設定ファイルと同じく一時ファイルを経て置き換えます (atomic save)。
  Shift-JIS でないファイルは書き換えません。
  終了コード: 0 書き換えた, 1 値が欄に合わない・欄がない・保存できない,
  2 引数の誤り、またはファイルを読めない。

比較 (diff):
  OLD から NEW への違いを「表 行 欄: OLD の値 → NEW の値」の形で 1 行ずつ
  示します。料金表・地帯区分・オプションの欄と、それ以外のセクションやキー
  (読まれる行だけ) を比べます。コメントや空行の違いは示しません。片方の
  ファイルにない値は （なし） です。新しい料金表を入れる前に、使っている
  料金表との違いを確かめられます:
    hakomaru-quote diff /etc/hakomaru/Charge.ini ~/Downloads/Charge.ini
  終了コード: 0 違いなし, 1 違いあり, 2 ファイルを読めない・Shift-JIS でない。

JSON Lines (--jsonl):
  標準入力の 1 行に 1 つの JSON オブジェクト (one request object per line)。
  空行や空白だけの行には答えません (blank lines get no answer)。
  "quote" が種類を選び、ほかのメンバーが計算の入力です。メンバー名は大文字・
  小文字もこのとおりです (names are case-sensitive)。ないメンバーは既定値:
  真偽値 (boolean) false、文字列 (string) ""、整数 (integer) 0、SokinNo は 8。
  行 (row) の番号は hakomaru-quote rows が示します。
  "youpack" ゆうパック:
    FromCaption   文字列  発送地の名前、rows のとおり ("東京"; "東京都" は不可)
    ToRow         整数    届け先の行 (都道府県)
    WeightRow     整数    重さの行
)" + jsonMembers(parcelOptions(), &ParcelOptionRow::youpack) +
        R"(    DaihikiText   文字列  代引金額・書留の申告額、万円単位 ("3", "2.5")
    SokinNo       整数    送金方法の番号 (既定 8)
  "cat" クロネコ:
    FromRow ToRow 整数    発送地・届け先の行 (都道府県)
    WeightRow     整数    重さの行
    SizeRow       整数    サイズの行
)" + jsonMembers(parcelOptions(), &ParcelOptionRow::cat) +
        R"(    DaihikiText   文字列  代引金額、万円単位
    FukusuText    文字列  複数口の個数 ("3")
  "letter" 普通郵便:
    WeightRow     整数    郵便の重さの行
)" + jsonMembers(letterOptions()) +
        R"(    DaihikiText   文字列  代引金額、万円単位
    SokinNo       整数    送金方法の番号 (既定 8)
  "book" 冊子小包:
    WeightRow     整数    郵便の重さの行
)" + jsonMembers(bookOptions()) +
        R"(    DaihikiText   文字列  代引金額、万円単位
    SokinNo       整数    送金方法の番号 (既定 8)
  答え (answers), 1 行に 1 つ:
    youpack, cat  {"Total":整数,"Detail":文字列,"Caption":文字列,"NotHandled":真偽値}
                  Caption は youpack の地帯、cat は ""。取扱不可は NotHandled true。
    letter, book  {"State":"Quoted"|"NoQuote"|"NotAvailable","Total":整数,"Detail":文字列}
                  NoQuote は見出しの行、NotAvailable は取扱不可。
    計算できない  {"Error":理由}  (youpack は Caption も)
    要求の誤り    {"InvalidRequest":理由}
  例 (答えは同梱の開発用料金表 data/Charge.ini のもの):
    {"quote":"youpack","FromCaption":"東京","ToRow":30,"WeightRow":1,"Shitei":true}
    → {"Total":1170,"Detail":"送料¥1,110\r\n + 配達日指定¥60\r\n","Caption":"ゆうパック 第4地帯","NotHandled":false}
    {"quote":"cat","FromRow":14,"ToRow":30,"WeightRow":1,"SizeRow":1,"Home":true}
    → {"Total":1200,"Detail":"送料¥1,100\r\n + 引取¥100\r\n","Caption":"","NotHandled":false}
    {"quote":"letter","WeightRow":5,"Sokutatsu":true}
    → {"State":"Quoted","Total":420,"Detail":"送料¥140 + 速達¥280"}
    {"quote":"book","WeightRow":10,"Daihiki":true,"DaihikiText":"1"}
    → {"State":"Quoted","Total":710,"Detail":"送料¥300 + 代引手数料¥260\r\n + 送金手数料¥150\r\n"}

共通 (common):
  --tariff FILE      料金表ファイル (default: Charge.ini beside the program)

例 (examples):
  hakomaru-quote --from 東京 --to 大阪 --weight 2kg --size 60cm
  hakomaru-quote --from 大阪府 --to 同一市内 --weight 4.5 --size 80 --cat-home --kakitome --cod 15
  hakomaru-quote --from 東京 --to 北海道 --weight-row 3 --size-row 2 --cat-daihiki --cod 3
  hakomaru-quote letter --weight 80g --sokutatsu --kakitome
  hakomaru-quote letter --teikei --weight 25g
  hakomaru-quote book --weight 500g --cyaku --daihiki --cod 1
  printf '%s\n' '{"quote":"letter","WeightRow":4}' | hakomaru-quote --jsonl
  hakomaru-quote check --tariff Charge.ini
  hakomaru-quote set --tariff Charge.ini 複数口 料金 120
  hakomaru-quote compare --csv parcels.csv > result.csv
    parcels.csv:
      発送地,届け先,重さ,サイズ,代引金額,オプション
      東京,大阪,2kg,60cm,,
      東京都,北海道,3.5kg,80,3,代金引換 書留
      大阪,同一市内,5kg,100,,"自宅・複数口=3"
    result.csv (--no-bom):
      行,発送地,届け先,重さ,サイズ,代引金額,オプション,重さ区分,サイズ区分,ゆうパック,...
      2,東京,大阪,2kg,60cm,,,2kg以下,60cm以下,940,860,クロネコ,80,

終了コード (exit status):
  0  すべて計算できた (every quote was made)
  1  計算できない料金があった (a quote failed; --jsonl: an answer is an Error or
     an InvalidRequest; compare: a row has an error; check: the tariff has
     problems; diff: the files differ), または出力を書き込めなかった (output could not be written)
  2  引数の誤り、または指定したファイルを読めない (bad command line, or a file
     named on it cannot be read)
)";
    return text;
}

} // namespace hakomaru::cli
