#include "WindowStyle.h"

#include <QApplication>
#include <QProxyStyle>

namespace hakomaru {
namespace {

class WindowStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
            return kIndicatorSize;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

void setUpWindowStyle() {
    // Built on the style Qt would use, so everything else looks as before.
    QApplication::setStyle(new WindowStyle(QApplication::style()->name()));
}

} // namespace hakomaru
