#pragma once
// The probe window: the first controls of the main window on the Windows
// front end, driven by the main window's selection model and the ゆうパック
// quote read from the tariff beside the program. It tries every kind of
// control and mechanism the windows need on the Windows API.
#include "FormWindow.h"
#include "selection/ParcelSelection.h"

#include <filesystem>
#include <functional>
#include <string>

namespace hakomaru::win32 {

class ProbeWindow final : public FormEvents, private ParcelDisplay {
  public:
    // `programDir` holds the tariff and the help pages.
    ProbeWindow(std::filesystem::path programDir, bool endsProgram);

    FormWindow& window() { return window_; }

  private:
    void handle(const Event& event) override;
    RowLook rowLook(std::string_view list, int row, bool selected) override;
    void recalcYoupack() override;
    void showNotHandled(Carrier carrier) override;

    // Runs one step of the model and shows the model's state afterwards;
    // an error ends the step and is shown in the error box.
    void run(const std::function<void()>& step);
    void showState();
    void copyQuote();

    std::filesystem::path programDir_;
    ParcelSelection model_;
    std::string detail_; // the last ゆうパック detail, CR LF kept
    FormWindow window_;
};

} // namespace hakomaru::win32
