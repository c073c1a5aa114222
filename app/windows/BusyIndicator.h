#pragma once

#include <QTimer>
#include <QWidget>

namespace plimsett {

// A small spinning ring that says "something is under way, no telling how long". It turns only
// while it is visible.
class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    bool isSpinning() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer timer_;
    int step_ = 0;
};

} // namespace plimsett
