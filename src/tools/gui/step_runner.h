// Runs one step of a tool (a blocking exchange with the reader) on a worker thread and hands
// its outcome back on the user-interface thread, so the window stays responsive. One step at a
// time; the owner disables its buttons while busy().
#pragma once

#include <QObject>
#include <QPointer>
#include <exception>
#include <functional>
#include <thread>

namespace omni::tools {

class StepRunner : public QObject {
    Q_OBJECT
public:
    explicit StepRunner(QObject* parent = nullptr) : QObject(parent) {}
    ~StepRunner() override {
        if (thread_.joinable())
            thread_.join();
    }

    bool busy() const { return busy_; }

    // Runs `step` on the worker; `done` gets its failure (null on success) on this object's
    // thread. Returns false while another step runs.
    bool run(std::function<void()> step, std::function<void(std::exception_ptr)> done) {
        if (busy_)
            return false;
        if (thread_.joinable())
            thread_.join();
        busy_ = true;
        emit busyChanged(true);
        QPointer<StepRunner> self(this);
        thread_ = std::thread([this, self, step = std::move(step), done = std::move(done)] {
            std::exception_ptr failure;
            try {
                step();
            } catch (...) {
                failure = std::current_exception();
            }
            QMetaObject::invokeMethod(
                this,
                [this, done, failure] {
                    busy_ = false;
                    emit busyChanged(false);
                    done(failure);
                },
                Qt::QueuedConnection);
        });
        return true;
    }

    // Waits for the running step without handing its outcome over (closing while busy).
    void wait() {
        if (thread_.joinable())
            thread_.join();
    }

signals:
    void busyChanged(bool busy);

private:
    std::thread thread_;
    bool busy_ = false;
};

}  // namespace omni::tools
