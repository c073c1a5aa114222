#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QPalette;
class QWidget;

namespace plimsett {

// The few text styles and status colours that the program's windows share, derived from the
// desktop's font and palette so that they follow light and dark themes.
class Appearance {
public:
    // Small print under a line of text.
    static QFont captionFont(const QFont& base);
    // A window's headline.
    static QFont titleFont(const QFont& base);

    // Dimmed text on the palette's window background.
    static QColor secondaryText(const QPalette& palette);
    // "All is well" and "something is missing".
    static QColor success(const QPalette& palette);
    static QColor warning(const QPalette& palette);
    // Actions that throw something away.
    static QColor destructive(const QPalette& palette);
    // The desktop's highlight colour, for a window's emblem.
    static QColor accent(const QPalette& palette);

    // Gives `widget` the text colour `colour` for its foreground roles.
    static void setTextColour(QWidget* widget, const QColor& colour);
    // Caption font in the secondary colour.
    static void makeCaption(QLabel* label);
    static void makeSecondary(QLabel* label);

private:
    static bool isDark(const QPalette& palette);
};

} // namespace plimsett
