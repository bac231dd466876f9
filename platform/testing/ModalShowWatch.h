#pragma once
// Tells of every modal window as it shows, in whatever event loop, however short its
// life: install it on the application.
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace NS_Testing {

class ModalShowWatch : public QObject
{
public:
    explicit ModalShowWatch(std::function<void(QWidget*)> shown) : m_shown(std::move(shown)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && (w->isModal() || w->testAttribute(Qt::WA_ShowModal)))
                m_shown(w);
        }
        return false;
    }

private:
    std::function<void(QWidget*)> m_shown;
};

} // namespace NS_Testing
