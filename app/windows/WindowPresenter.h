#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QWidget;

namespace plimsett {

// The program's own windows, one per key. A window is made the first time its key is shown and
// kept for the rest of the run: closing it only hides it, and showing the key again brings the
// same window, with the same content, forward.
class WindowPresenter : public QObject {
    Q_OBJECT
public:
    // Makes the content of a new window; the window takes ownership.
    using ContentFactory = std::function<QWidget*()>;

    explicit WindowPresenter(QObject* parent = nullptr);
    ~WindowPresenter() override;

    // Brings the window for `key` forward, making it first, titled `title` around the content
    // that `makeContent` makes, when there is none yet. An existing window keeps its title and
    // content, and `makeContent` is not called.
    QWidget* show(const QString& key, const QString& title, const ContentFactory& makeContent);
    // Hides the window for `key`, if there is one; it stays available for later.
    void close(const QString& key);

    QWidget* window(const QString& key) const;
    std::size_t windowCount() const { return windows_.size(); }

signals:
    // After a window was shown; `made` is true when it was made for this request.
    void shown(const QString& key, bool made);

private:
    std::map<QString, std::unique_ptr<QWidget>> windows_;
};

} // namespace plimsett
