#include "app/windows/WindowPresenter.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace plimsett {
namespace {

void bringForward(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void centre(QWidget* window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = window->sizeHint();
    window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

} // namespace

WindowPresenter::WindowPresenter(QObject* parent) : QObject(parent) {}

WindowPresenter::~WindowPresenter() = default;

QWidget* WindowPresenter::show(const QString& key, const QString& title,
                               const ContentFactory& makeContent) {
    if (auto it = windows_.find(key); it != windows_.end()) {
        bringForward(it->second.get());
        emit shown(key, false);
        return it->second.get();
    }
    // Titled and closable only: no minimise or maximise button, and a fixed size that follows
    // the content's preferred size.
    auto window =
        std::make_unique<QWidget>(nullptr, Qt::Window | Qt::CustomizeWindowHint |
                                               Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setWindowTitle(title);
    window->setObjectName(key);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (QWidget* content = makeContent ? makeContent() : nullptr) {
        layout->addWidget(content);
    }
    // Closing hides the window; it is deleted only with the presenter.
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->adjustSize();
    centre(window.get());
    QWidget* raw = window.get();
    windows_.emplace(key, std::move(window));
    bringForward(raw);
    emit shown(key, true);
    return raw;
}

void WindowPresenter::close(const QString& key) {
    if (auto it = windows_.find(key); it != windows_.end()) {
        it->second->close();
    }
}

QWidget* WindowPresenter::window(const QString& key) const {
    const auto it = windows_.find(key);
    return it == windows_.end() ? nullptr : it->second.get();
}

} // namespace plimsett
