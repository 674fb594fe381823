// Linked into every Qt test program: a modal window (a message box, a question, a file dialog)
// that stays open with nothing in the test to close it ends the program with a failure that
// names the window, instead of blocking until CTest's time-out kills it.
//
// Tests that answer a modal window do it within milliseconds (tests/dialogs/modal.h), so one
// that is still the same open window after kLimit (long enough for a tool dialog that a test
// drives through several reader exchanges) is a failure of the test or of the code.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

constexpr auto kLimit = std::chrono::seconds(40);  // below the 60 s test limit; tool dialogs run long steps
constexpr auto kPoll = std::chrono::milliseconds(200);

QString describe(QWidget* modal) {
    QString text = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        text += QStringLiteral(": ") + box->text();
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(modal->metaObject()->className()),
                                             text);
}

void startWatchdog() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(kPoll);
    QObject::connect(timer, &QTimer::timeout, [] {
        static QPointer<QWidget> watched;
        static std::chrono::steady_clock::time_point since;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != watched) {
            watched = modal;
            since = std::chrono::steady_clock::now();
            return;
        }
        if (modal == nullptr || std::chrono::steady_clock::now() - since < kLimit)
            return;
        std::fprintf(stderr, "FAIL: a modal window stayed open with nothing to close it: %s\n",
                     qPrintable(describe(modal)));
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    });
    timer->start();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startWatchdog)
