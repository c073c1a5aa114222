#pragma once

#include "app/windows/SymbolIcon.h"

#include <QWidget>

class QLabel;

namespace plimsett {

// A symbol followed by a text, both in one colour: a status line such as "Access is on".
class SymbolLabel : public QWidget {
    Q_OBJECT
public:
    // An invalid `colour` draws in the palette's text colour. `number` is the digit of a numbered
    // symbol.
    SymbolLabel(SymbolIcon::Symbol symbol, const QString& text, const QColor& colour = {},
                int number = 0, QWidget* parent = nullptr);

    QString text() const;
    SymbolIcon::Symbol symbol() const { return symbol_; }
    QLabel* textLabel() const { return text_; }

private:
    SymbolIcon::Symbol symbol_;
    QLabel* icon_;
    QLabel* text_;
};

} // namespace plimsett
