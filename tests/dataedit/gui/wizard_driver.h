// Helpers of the data edit dialog tests: acting on a modal dialog once it runs (dialogs are run
// with exec(), so the test acts from inside their event loop), a watchdog that closes any modal
// dialog left open so that no test can hang, and clicks and keys as an operator gives them.
#pragma once

#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWizard>

namespace omni::test {

// The visible modal window named `name` (objectName), or null.
inline QWidget* visibleModalNamed(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isModal() && w->objectName() == name)
            return w;
    }
    return nullptr;
}

// Calls `act` once with the first visible modal window named `name` (objectName), from inside
// the event loop that runs it. Gives up after `limitMs`.
inline void onModalNamed(const QString& name, std::function<void(QWidget*)> act,
                         int limitMs = 30000) {
    auto* timer = new QTimer(QCoreApplication::instance());  // freed with the app
    timer->setInterval(10);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, name, act = std::move(act), limitMs] {
        if (QWidget* modal = visibleModalNamed(name)) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (clock->elapsed() > limitMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// While alive, rejects every modal dialog that is still open `limitMs` after it was created.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int limitMs = 45000) {
        timer_.setInterval(200);
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, limitMs] {
            if (clock_.elapsed() < limitMs)
                return;
            fired_ = true;
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->done(QDialog::Rejected);
        });
        timer_.start();
    }
    bool fired() const { return fired_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    bool fired_ = false;
};

inline void click(QAbstractButton* button) {
    if (qobject_cast<QCheckBox*>(button)) {
        // The indicator sits at the left edge; a wide check box's centre may be past its text.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    } else {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

inline void clickWizard(QWizard* wizard, QWizard::WizardButton which) {
    QTest::mouseClick(wizard->button(which), Qt::LeftButton);
}

// Clicks into `box` (so it has the focus) and types `text`.
inline void typeInto(QWidget* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClicks(box, text);
}

// Shows `widget` and waits for it to be on screen; true once it is.
inline bool shown(QWidget* widget) {
    widget->show();
    return QTest::qWaitForWindowExposed(widget);
}

// The wizard button is offered: visible and enabled.
inline bool offered(QWizard* wizard, QWizard::WizardButton which) {
    QAbstractButton* b = wizard->button(which);
    return b->isVisible() && b->isEnabled();
}

}  // namespace omni::test
