// Start-up probes: each process shows its window and ends at the window's
// first paint, printing the milliseconds from the moment its parent started
// it (HAKOMARU_PROBE_T0, CLOCK_MONOTONIC nanoseconds) to the end of that
// paint. hakomaru_startup_probe starts like the program (tariff and
// settings beside it, both quotes computed); hakomaru_minimal_probe shows
// one label, the floor any Qt window costs.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifdef HAKOMARU_FULL_WINDOW
#include "AppSetup.h"
#include "Main.h"
#include "Settings.h"
#include "tariff/Tariff.h"
#endif

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Reports and ends the event loop once the window has painted.
class QuitOnPaint : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            // Report after the paint itself has run.
            QTimer::singleShot(0, qApp, [] {
                if (const char* t0 = std::getenv("HAKOMARU_PROBE_T0"))
                    std::printf("%.3f\n", (monotonicNanoseconds() - std::atoll(t0)) / 1e6);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool done_ = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QuitOnPaint quit;
#ifdef HAKOMARU_FULL_WINDOW
    hakomaru::setUpApplication();
    const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
    hakomaru::TfrmMain window(programDir / "hakomaru_startup_probe.ini",
                              hakomaru::tariffPathIn(programDir));
#else
    QLabel window(QStringLiteral("はこ丸"));
#endif
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
