#include "app/windows/PlaceholderPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace plimsett {

PlaceholderPage::PlaceholderPage(const QString& heading, const QString& text, QWidget* parent)
    : QWidget(parent), heading_(heading), text_(text) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    auto* title = new QLabel(heading, this);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    title->setFont(font);
    auto* body = new QLabel(text, this);
    body->setWordWrap(true);
    body->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(title);
    layout->addWidget(body);
    setFixedWidth(440);
}

} // namespace plimsett
