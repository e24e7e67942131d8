#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Drives the next modal dialog of type T from the event loop it runs in: action gets the dialog
// once it is the active modal widget. A dialog that never comes, or one of another type that
// stays up, is rejected after a while so that no test hangs; failed() then says so.
template<typename T>
class ModalDriver
{
public:
    explicit ModalDriver(std::function<void(T *)> action, int giveUpMs = 10000)
        : m_state(std::make_shared<State>())
    {
        // Owned by the application too: a test that ends before the next tick still frees it.
        auto *timer = new QTimer(qApp);
        timer->setInterval(5);
        m_state->clock.start();
        std::shared_ptr<State> state = m_state;
        QObject::connect(timer, &QTimer::timeout, timer, [timer, state, action, giveUpMs] {
            if (state->done) {
                timer->deleteLater();
                return;
            }
            QWidget *modal = QApplication::activeModalWidget();
            if (T *dialog = qobject_cast<T *>(modal)) {
                state->done = true;
                action(dialog);
                return;
            }
            if (state->clock.elapsed() > giveUpMs) {
                state->failed = true;
                state->done = true;
                if (auto *d = qobject_cast<QDialog *>(modal))
                    d->reject();
            }
        });
        timer->start();
    }
    ~ModalDriver() { m_state->done = true; }
    ModalDriver(const ModalDriver &) = delete;
    ModalDriver &operator=(const ModalDriver &) = delete;

    bool failed() const { return m_state->failed; }
    bool done() const { return m_state->done; }

private:
    struct State
    {
        bool failed = false;
        bool done = false;
        QElapsedTimer clock;
    };
    std::shared_ptr<State> m_state;
};
