#include "app/windows/SymbolIcon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace plimsett {
namespace {

// Paths are drawn on a 24 by 24 grid, scaled to the pixmap.
constexpr qreal grid = 24.0;

void drawCheckmarkCircle(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(1, 1, 22, 22));
    QPainterPath check;
    check.moveTo(7.0, 12.4);
    check.lineTo(10.4, 15.8);
    check.lineTo(17.2, 8.6);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(check);
}

void drawExclamationTriangle(QPainter& p, const QColor& colour) {
    QPainterPath triangle;
    triangle.moveTo(12, 2.5);
    triangle.lineTo(22.5, 20.5);
    triangle.lineTo(1.5, 20.5);
    triangle.closeSubpath();
    p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPath(triangle);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::black, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 8.5), QPointF(12, 13.6));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(12, 17.3), 1.45, 1.45);
}

void drawNumberCircle(QPainter& p, const QColor& colour, int number) {
    p.setPen(QPen(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.8, 1.8, 20.4, 20.4));
    QFont font;
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 0, grid, grid), Qt::AlignCenter, QString::number(number));
}

void drawWindowOnRectangle(QPainter& p, const QColor& colour) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // The screen behind, showing only where the window leaves it free.
    QPainterPath back;
    back.moveTo(6.5, 6.5);
    back.lineTo(6.5, 4.5);
    back.quadTo(6.5, 3, 8, 3);
    back.lineTo(21, 3);
    back.quadTo(22.5, 3, 22.5, 4.5);
    back.lineTo(22.5, 14.5);
    back.quadTo(22.5, 16, 21, 16);
    back.lineTo(18.5, 16);
    p.drawPath(back);
    // The window in front, with its title bar.
    p.drawRoundedRect(QRectF(1.5, 7.5, 16, 13), 1.6, 1.6);
    p.drawLine(QPointF(1.5, 10.8), QPointF(17.5, 10.8));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (const qreal x : {3.6, 5.6, 7.6}) {
        p.drawEllipse(QPointF(x, 9.15), 0.65, 0.65);
    }
}

} // namespace

QPixmap SymbolIcon::pixmap(Symbol symbol, const QColor& colour, int size, qreal devicePixelRatio,
                           int number) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int pixels = qMax(1, qRound(size * ratio));
    QPixmap out(pixels, pixels);
    out.setDevicePixelRatio(ratio);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The painter works in device-independent pixels on a pixmap with a device pixel ratio.
    p.scale(size / grid, size / grid);
    switch (symbol) {
    case Symbol::checkmarkCircleFill:
        drawCheckmarkCircle(p, colour);
        break;
    case Symbol::exclamationTriangleFill:
        drawExclamationTriangle(p, colour);
        break;
    case Symbol::numberCircle:
        drawNumberCircle(p, colour, number);
        break;
    case Symbol::windowOnRectangle:
        drawWindowOnRectangle(p, colour);
        break;
    }
    return out;
}

} // namespace plimsett
