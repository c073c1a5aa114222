#pragma once

#include <QColor>
#include <QPixmap>

namespace plimsett {

// The small symbols of the program's windows, drawn as vectors in a given colour so that they
// look the same on every icon theme and stay crisp at any scale.
class SymbolIcon {
public:
    enum class Symbol {
        checkmarkCircleFill,     // a filled disc with a check mark cut out
        exclamationTriangleFill, // a filled warning triangle with an exclamation mark cut out
        numberCircle,            // a ring around a digit
        windowOnRectangle,       // an application window in front of a screen
    };

    // A square pixmap `size` device-independent pixels wide, for a screen of `devicePixelRatio`.
    // `number` is the digit of Symbol::numberCircle.
    static QPixmap pixmap(Symbol symbol, const QColor& colour, int size,
                          qreal devicePixelRatio = 1.0, int number = 0);
};

} // namespace plimsett
