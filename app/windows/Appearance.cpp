#include "app/windows/Appearance.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <algorithm>

namespace plimsett {

QFont Appearance::captionFont(const QFont& base) {
    QFont font = base;
    if (base.pointSizeF() > 0) {
        font.setPointSizeF(std::max(7.5, base.pointSizeF() * 0.85));
    } else if (base.pixelSize() > 0) {
        font.setPixelSize(std::max(10, base.pixelSize() * 85 / 100));
    }
    return font;
}

QFont Appearance::titleFont(const QFont& base) {
    QFont font = base;
    if (base.pointSizeF() > 0) {
        font.setPointSizeF(base.pointSizeF() * 1.3);
    } else if (base.pixelSize() > 0) {
        font.setPixelSize(base.pixelSize() * 13 / 10);
    }
    font.setBold(true);
    return font;
}

bool Appearance::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor Appearance::secondaryText(const QPalette& palette) {
    // Half-way between the text and its background reads as dimmed on every theme, and unlike a
    // translucent colour it stays legible when grabbed into an image.
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    return QColor::fromRgbF((text.redF() * 0.55f + window.redF() * 0.45f),
                            (text.greenF() * 0.55f + window.greenF() * 0.45f),
                            (text.blueF() * 0.55f + window.blueF() * 0.45f));
}

QColor Appearance::success(const QPalette& palette) {
    return isDark(palette) ? QColor(0x5c, 0xd6, 0x7a) : QColor(0x1e, 0x8e, 0x3e);
}

QColor Appearance::warning(const QPalette& palette) {
    return isDark(palette) ? QColor(0xff, 0xa9, 0x4d) : QColor(0xc2, 0x5e, 0x00);
}

QColor Appearance::destructive(const QPalette& palette) {
    return isDark(palette) ? QColor(0xff, 0x6b, 0x6b) : QColor(0xc0, 0x1c, 0x28);
}

QColor Appearance::accent(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Highlight);
}

void Appearance::setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::Text, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(palette);
}

void Appearance::makeCaption(QLabel* label) {
    label->setFont(captionFont(label->font()));
    makeSecondary(label);
}

void Appearance::makeSecondary(QLabel* label) {
    setTextColour(label, secondaryText(label->palette()));
}

} // namespace plimsett
