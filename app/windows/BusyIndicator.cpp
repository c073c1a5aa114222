#include "app/windows/BusyIndicator.h"

#include "app/windows/Appearance.h"

#include <QPainter>

namespace plimsett {
namespace {

constexpr int spokes = 12;

} // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % spokes;
        update();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BusyIndicator::sizeHint() const {
    const int side = fontMetrics().height();
    return {side, side};
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    const QColor ink = Appearance::secondaryText(palette());
    const qreal inner = side * 0.24;
    const qreal outer = side * 0.46;
    for (int i = 0; i < spokes; ++i) {
        // The spoke at the current step is darkest; the ones behind it fade out.
        const int age = (step_ - i + spokes) % spokes;
        QColor c = ink;
        c.setAlphaF(1.0f - 0.75f * static_cast<float>(age) / spokes);
        p.setPen(QPen(c, qMax<qreal>(1.5, side / 9.0), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -inner), QPointF(0, -outer));
        p.rotate(360.0 / spokes);
    }
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_.stop();
}

} // namespace plimsett
