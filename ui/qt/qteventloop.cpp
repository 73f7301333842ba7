#include "ui/qt/qteventloop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <memory>

namespace examclient::qt {
namespace {

// Delivers readability the way a window message would: the notifier's activation only
// posts a callback, so the callback runs from a message loop and may itself run nested
// loops. Qt's notifier is level-triggered; it stays off while a callback is pending.
class QtSocketWatch final : public SocketWatch {
public:
    QtSocketWatch(int descriptor, std::function<void()> onReadable)
        : m_notifier(static_cast<qintptr>(descriptor), QSocketNotifier::Read), m_onReadable(std::move(onReadable)),
          m_alive(std::make_shared<bool>(true))
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier, [this] { activated(); });
    }

    ~QtSocketWatch() override { *m_alive = false; }

    void setEnabled(bool enabled) override
    {
        m_enabled = enabled;
        m_notifier.setEnabled(enabled && !m_pending);
    }

private:
    void activated()
    {
        m_notifier.setEnabled(false);
        m_pending = true;
        std::shared_ptr<bool> alive = m_alive;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, alive] {
                if (!*alive)
                    return;
                m_pending = false;
                if (!m_enabled)
                    return;
                // Re-armed before the callback: a handler that waits in a nested loop
                // must still see later data on the same socket.
                m_notifier.setEnabled(true);
                // A copy: the callback may destroy this watch (a link closed by its own
                // handler) and with it the stored function.
                const std::function<void()> onReadable = m_onReadable;
                onReadable();
            },
            Qt::QueuedConnection);
    }

    QSocketNotifier m_notifier;
    std::function<void()> m_onReadable;
    std::shared_ptr<bool> m_alive;
    bool m_enabled = true;
    bool m_pending = false;
};

class QtEventLoop final : public EventLoop {
public:
    void post(std::function<void()> callback) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(callback), Qt::QueuedConnection);
    }

    std::unique_ptr<SocketWatch> watchSocket(int descriptor, std::function<void()> onReadable) override
    {
        return std::make_unique<QtSocketWatch>(descriptor, std::move(onReadable));
    }
};

} // namespace

void installQtEventLoop()
{
    static QtEventLoop loop;
    installEventLoop(&loop);
}

} // namespace examclient::qt
