// The windows against the quote tool: seeded random parcels priced by the
// real main window, driven as a user drives it, and by compare --csv; letter
// and book items priced by the postal window and by the tool's letter and
// book modes. Both give the same totals, 取扱不可 in the same places, and
// refuse the same selections.
#include "CommandLine.h"
#include "CsvCompare.h"
#include "Main.h"
#include "Postal.h"
#include "TerminalMode.h"
#include "UiTestSupport.h"
#include "quote/QuoteCat.h"
#include "selection/ParcelRules.h"
#include "tariff/Catalogues.h"
#include "tariff/Tariff.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include <memory>
#include <random>
#include <sstream>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

// Amounts at and beside every band edge.
const char* const kAmounts[] = {"0", "1", "5", "5.1", "8", "30", "30.1", "50", "200", "200.1"};

// Each window's boxes and the tool's names for the same options; the main
// window's in the order of ParcelOption, its クロネコ boxes last.
struct Box {
    const char* name;
    const char* tool;
};
const Box kParcelBoxes[] = {{"chkYouCyaku", "you-cyaku"},   {"chkYouSokutatsu", "you-sokutatsu"},
                            {"chkYouShitei", "you-shitei"}, {"chkKakitome", "kakitome"},
                            {"chkYouCild", "cild"},         {"chkYouDaihiki", "you-daihiki"},
                            {"chkCatHome", "cat-home"},     {"chkCatTime", "cat-time"},
                            {"chkCatCool", "cat-cool"},     {"chkCatDaihiki", "cat-daihiki"}};
constexpr size_t kFirstCatBox = 6;
const Box kLetterBoxes[] = {{"chkInCity", "--in-city"},
                            {"chkSokutatsu", "--sokutatsu"},
                            {"chkHaitatsu", "--haitatsu"},
                            {"chk10clock", "--morning10"},
                            {"chkKaniKakitome", "--kani-kakitome"},
                            {"chkKakitome", "--kakitome"},
                            {"chkGentei", "--gentei"},
                            {"chkDaihiki", "--daihiki"}};
const Box kBookBoxes[] = {{"chkB_Cyaku", "--cyaku"},       {"chkB_Sokutatsu", "--sokutatsu"},
                          {"chkB_Shitei", "--shitei"},     {"chkB_Kani", "--kani"},
                          {"chkB_Kakitome", "--kakitome"}, {"chkB_Daihiki", "--daihiki"}};

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "¥1,234" as a number; other texts as they are.
QString plainTotal(const QString& shown) {
    if (!shown.startsWith(QStringLiteral("¥")))
        return shown;
    return shown.mid(1).remove(',');
}

} // namespace

class DifferentialTest : public QObject {
    Q_OBJECT

    RecordingPlatform platform_;
    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<TfrmMain> main_;
    std::mt19937 random_{12};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T = QWidget> T* w(QWidget* window, const char* name) const {
        auto* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    // A fresh main window, with クロネコ cash on delivery in use.
    void startMain() {
        main_.reset();
        main_ = std::make_unique<TfrmMain>(folder_->settingsPath(), folder_->tariffPath());
        installPostalWindow(*main_);
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }
    // Clicks the box if it may be clicked; false when the window disables it.
    bool setBox(QWidget* window, const char* name, bool checked) {
        auto* b = w<QCheckBox>(window, name);
        if (b->isChecked() == checked)
            return true;
        if (!b->isEnabled())
            return false;
        click(b);
        return b->isChecked() == checked;
    }
    int randomRow(std::span<const std::string_view> rows) {
        for (;;) {
            const int row = below(static_cast<int>(rows.size()));
            if (!IsSeparatorRow(rows[static_cast<size_t>(row)]))
                return row;
        }
    }

  private slots:
    void init() {
        platform_ = {};
        setPlatform(&platform_);
        folder_ = std::make_unique<ProgramFolder>();
        QFile::remove(folder_->path("Charge.ini"));
        QVERIFY(QFile::copy(QStringLiteral(HAKOMARU_SHIPPED_TARIFF), folder_->path("Charge.ini")));
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n代引利用=1\n"));
    }
    void cleanup() {
        main_.reset();
        folder_.reset();
        setPlatform(nullptr);
    }

    void mainWindowAgainstCompareCsv() {
        const IniStore tariff = readTariff(folder_->tariffPath());
        int refused = 0, notHandled = 0;
        for (int n = 0; n < 300; ++n) {
            const int from = randomRow(PrefectureRows(false));
            const int to = randomRow(PrefectureRows(true));
            const int weight = below(14);
            const int size = below(8);
            const char* amountText = kAmounts[below(static_cast<int>(std::size(kAmounts)))];
            const float amount = std::stof(amountText);
            std::vector<const Box*> asked;
            for (const Box& b : kParcelBoxes)
                if (chance(20))
                    asked.push_back(&b);
            const int count = chance(20) ? 2 + below(9) : 1;

            std::string options;
            for (const Box* b : asked)
                options += std::string(options.empty() ? "" : " ") + b->tool;
            if (count > 1)
                options += (options.empty() ? "複数口=" : " 複数口=") + std::to_string(count);
            const std::string line = std::string(PrefectureRows(false)[static_cast<size_t>(from)]) +
                                     "," +
                                     std::string(PrefectureRows(true)[static_cast<size_t>(to)]) +
                                     "," + std::string(WeightRows()[static_cast<size_t>(weight)]) +
                                     "," + std::string(SizeRows()[static_cast<size_t>(size)]) +
                                     "," + amountText + "," + options + "\n";
            const QByteArray context = QByteArray::fromStdString(line.substr(0, line.size() - 1));

            // The tool.
            std::ostringstream out;
            cli::runCsvComparison(tariff, line, out, {false, 8});
            const auto records = cli::parseCsv(out.str());
            QVERIFY2(records.size() == 2, context);
            const auto& cells = records[1].fields;
            const QString toolYou = utf8(cells[9]), toolCat = utf8(cells[10]);
            const QString toolError = utf8(cells[13]);

            // The window: lists, then the amount as typed, then the boxes.
            startMain();
            pick(w<QComboBox>(main_.get(), "cmbFrom"), from);
            pick(w<QComboBox>(main_.get(), "cmbTo"), to);
            pick(w<QComboBox>(main_.get(), "cmbWeight"), weight);
            pick(w<QComboBox>(main_.get(), "cmbSize"), size);
            typeInto(w(main_.get(), "edtDaihiki"), QString::fromLatin1(amountText));
            const bool youHandled = amount <= kParcelAmountLimit;
            const bool catHandled = amount <= kCatCodLimit && !CatNotHandled(weight, size);
            auto wanted = [&](const Box& b) {
                return std::find(asked.begin(), asked.end(), &b) != asked.end() ||
                       (&b == &kParcelBoxes[3] && amount > kRegisteredAbove); // 書留
            };
            bool windowRefused = false;
            for (bool checking : {false, true}) // what the amount checked first, then the asked
                for (const Box& b : kParcelBoxes) {
                    const bool cat = &b >= &kParcelBoxes[kFirstCatBox];
                    if ((cat ? catHandled : youHandled) && wanted(b) == checking)
                        windowRefused |= !setBox(main_.get(), b.name, checking);
                }
            if (count > 1 && catHandled && !windowRefused) {
                click(w(main_.get(), "chkCatFukusu"));
                typeInto(w(main_.get(), "edtFukusu"), QString::number(count));
            }
            QVERIFY2(platform_.errors.isEmpty(), context);

            QVERIFY2(windowRefused == !toolError.isEmpty(), context + " / " + toolError.toUtf8());
            if (windowRefused) {
                ++refused;
                continue;
            }
            QString windowYou = plainTotal(w<QLabel>(main_.get(), "lblYouTotal")->text());
            if (windowYou != QStringLiteral("取扱不可"))
                windowYou = QString::number(windowYou.toLongLong() * count);
            const QString windowCat = plainTotal(w<QLabel>(main_.get(), "lblCatTotal")->text());
            QCOMPARE(windowYou + " " + windowCat + " " + context,
                     toolYou + " " + toolCat + " " + context);
            notHandled += toolCat == QStringLiteral("取扱不可");
        }
        // The seed reaches every kind of row.
        QVERIFY(refused > 10);
        QVERIFY(notHandled > 10);
    }

    void postalWindowAgainstLetterAndBookModes() {
        const char* const amounts[] = {"0", "3", "5", "6", "150", "200.5"};
        for (int n = 0; n < 40; ++n) {
            const bool letter = n % 2 == 0;
            const std::span<const Box> boxes(letter ? kLetterBoxes : kBookBoxes,
                                             letter ? std::size(kLetterBoxes)
                                                    : std::size(kBookBoxes));
            const int row = letter && chance(20) ? 1 + below(2) : 4 + below(14);
            const char* amountText = amounts[below(static_cast<int>(std::size(amounts)))];
            const std::string rowText = std::to_string(row);
            std::vector<std::string_view> args{letter ? "letter" : "book", "--weight-row", rowText,
                                               "--cod", amountText};
            std::vector<const Box*> asked;
            for (const Box& b : boxes)
                if (chance(20)) {
                    asked.push_back(&b);
                    args.push_back(b.tool);
                }

            // The tool.
            const cli::Invocation inv = cli::parseCommandLine(args);
            std::ostringstream out, err;
            const IniStore tariff = readTariff(folder_->tariffPath());
            const int status = letter ? cli::printLetterMail(tariff, inv.letter, out, err)
                                      : cli::printBookParcel(tariff, inv.book, out, err);
            QByteArray context;
            for (std::string_view arg : args)
                context += QByteArray(arg.data(), static_cast<qsizetype>(arg.size())) + " ";

            // The window: the page, the weight, the amount as typed, the boxes.
            platform_ = {};
            startMain();
            main_->findChild<QAction*>("mnuMain_View_Postal")->trigger();
            auto* postal = main_->findChildren<TfrmPostal*>().last();
            QVERIFY(QTest::qWaitForWindowExposed(postal));
            w<QTabWidget>(postal, "pgPostal")->setCurrentIndex(letter ? 0 : 1);
            pick(w<QComboBox>(postal, "cmbWeightNormal"), row);
            typeInto(w(postal, "edtDaihiki"), QString::fromLatin1(amountText));
            bool windowRefused = !platform_.messages.isEmpty(); // the amount limit
            for (const Box* b : asked)
                windowRefused = windowRefused || !setBox(postal, b->name, true);
            QVERIFY2(platform_.errors.isEmpty(), context);
            QVERIFY2(windowRefused == (status == 2), context + utf8(err.str()).toUtf8());
            if (windowRefused)
                continue;
            const QString total = w<QLabel>(postal, letter ? "lblTotal" : "lblB_Total")->text();
            const QString tool =
                utf8(out.str()).section(QStringLiteral(": "), 1).section('\n', 0, 0);
            QCOMPARE(total + " " + context, tool + " " + context);
        }
    }
};

HAKOMARU_UI_TEST_MAIN(DifferentialTest)
#include "DifferentialTest.moc"
