#include "ProbeWindow.h"

#include "quote/QuoteYoupack.h"
#include "tariff/Catalogues.h"
#include "tariff/Tariff.h"
#include "text/NumberText.h"
#include "text/Sjis.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace hakomaru::win32 {
namespace {

constexpr std::pair<std::string_view, ParcelOption> kBoxes[] = {
    {"chkYouSokutatsu", ParcelOption::YouSokutatsu},
    {"chkKakitome", ParcelOption::Kakitome},
};

std::string oneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 2);
    return text;
}

} // namespace

ProbeWindow::ProbeWindow(std::filesystem::path programDir, bool endsProgram)
    : programDir_(std::move(programDir)), model_(this), window_(kProbeForm, *this, endsProgram) {
    window_.setRows("cmbFrom", PrefectureRows(false));
    window_.selectRow("cmbFrom", 0);
    run([this] { recalcYoupack(); });
}

void ProbeWindow::run(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        showState();
        window_.showMessage(e.what(), true);
        return;
    }
    showState();
}

void ProbeWindow::showState() {
    const bool group = model_.groupEnabled(Carrier::Youpack);
    window_.setEnabled("grpYoupack", group);
    for (const auto& [name, option] : kBoxes) {
        window_.setChecked(name, model_.box(option).checked);
        window_.setEnabled(name, model_.mayClick(option));
    }
    window_.selectRow("cmbFrom", model_.fromRow());
    if (window_.text("edtDaihiki") != model_.amountText()) {
        // The amount rule put "0" back: selected, so that a digit replaces it.
        window_.setText("edtDaihiki", model_.amountText());
        window_.selectText("edtDaihiki", 0, 1);
    }
}

void ProbeWindow::recalcYoupack() {
    const IniStore tariff = readTariff(tariffPathIn(programDir_));
    const TYoupackRequest request = model_.youpackRequest();
    window_.setText("grpYoupack", YoupackCaption(tariff, request.FromCaption, request.ToRow));
    const TParcelQuote quote = QuoteYoupack(tariff, request);
    window_.setText("lblYouTotal", std::string(kYen) + grouped(quote.Total));
    detail_ = quote.Detail;
    window_.setText("lblDetail", oneLine(detail_));
}

void ProbeWindow::showNotHandled(Carrier carrier) {
    if (carrier == Carrier::Youpack)
        window_.setText("lblYouTotal", kNotHandledText);
}

void ProbeWindow::copyQuote() {
    const std::string text = oneLine(detail_) + " = 合計額" + window_.text("lblYouTotal") + "\r\n";
    if (!window_.setClipboardText(text))
        window_.showMessage("クリップボードが使用中のため、コピーできませんでした。", true);
}

void ProbeWindow::handle(const Event& event) {
    const std::wstring helpPage = (programDir_ / "Help" / "howto.htm").wstring();
    switch (event.kind) {
    case EventKind::Click:
        for (const auto& [name, option] : kBoxes) {
            if (event.name == name)
                run([this, option = option] { model_.click(option); });
        }
        if (event.name == "lblHelp" || event.name == "mnuMain_Help_Use")
            window_.openPage(helpPage);
        else if (event.name == "mnuPopup_Copy_Line")
            copyQuote();
        break;
    case EventKind::ChooseRow:
        if (event.name == "cmbFrom")
            run([this, row = event.row] { model_.chooseFrom(row); });
        break;
    case EventKind::TextChanged:
        if (event.name == "edtDaihiki")
            run([this] { model_.typeAmount(window_.text("edtDaihiki")); });
        break;
    case EventKind::PointerEntered:
        if (event.name == "grpYoupack") {
            window_.setText("stExplain", "");
            window_.setText("lblDetail", oneLine(detail_));
        }
        break;
    default:
        break;
    }
}

RowLook ProbeWindow::rowLook(std::string_view, int row, bool selected) {
    if (selected)
        return {kHighlightColour, kHighlightTextColour};
    const int group = std::clamp(PrefectureGroupOf(row), 0, kPrefectureGroupCount - 1);
    const bool heading = group > 0 && row == kSeparatorRows[static_cast<size_t>(group - 1)];
    const RowColours& colours = kPrefectureGroupColours[group];
    return {heading ? colours.heading : colours.places,
            heading ? kSeparatorTextColour : kWindowTextColour};
}

} // namespace hakomaru::win32
