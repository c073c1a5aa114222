#include "app/windows/SymbolLabel.h"

#include "app/windows/Appearance.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>

namespace plimsett {

SymbolLabel::SymbolLabel(SymbolIcon::Symbol symbol, const QString& text, const QColor& colour,
                         int number, QWidget* parent)
    : QWidget(parent), symbol_(symbol), icon_(new QLabel(this)), text_(new QLabel(text, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    const QColor ink = colour.isValid() ? colour : palette().color(QPalette::WindowText);
    // The symbol is as tall as a capital letter and a half, like a symbol set beside text.
    const int size = qRound(fontMetrics().height() * 1.05);
    icon_->setPixmap(SymbolIcon::pixmap(symbol, ink, size, qApp->devicePixelRatio(), number));
    icon_->setFixedSize(size, size);
    icon_->setAccessibleName(QString());
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (colour.isValid()) {
        Appearance::setTextColour(text_, colour);
    }
    layout->addWidget(icon_, 0, Qt::AlignTop);
    layout->addWidget(text_, 1, Qt::AlignVCenter);
}

QString SymbolLabel::text() const {
    return text_->text();
}

} // namespace plimsett
