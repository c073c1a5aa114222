#pragma once

#include <QWidget>

namespace plimsett {

// A plain page with a heading and a paragraph: the content of a window whose real view is not
// built yet.
class PlaceholderPage : public QWidget {
    Q_OBJECT
public:
    PlaceholderPage(const QString& heading, const QString& text, QWidget* parent = nullptr);

    QString heading() const { return heading_; }
    QString text() const { return text_; }

private:
    QString heading_;
    QString text_;
};

} // namespace plimsett
