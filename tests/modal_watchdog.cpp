// Linked into every Qt test program, so that a stuck test ends with a report instead of being
// killed silently by CTest's time-out:
//
// - A modal window (a message box, a question, a file dialog) that stays open with nothing in the
//   test to close it ends the program with a failure that names the window. Tests answer their
//   modal windows within milliseconds (tests/dialogs/modal.h); one that is still the same open
//   window after two thirds of the test's limit is a failure of the test or of the code.
// - A user-interface thread that stops running its event loop for half the limit (blocked in a
//   call, or busy in a loop), or a program about to reach the limit, ends the program with the
//   running test function and the stack of every thread (from gdb, when it is installed).
//
// The limit is CTest's, handed over in OMNI_TEST_LIMIT (seconds); 60 s without it.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(200);
constexpr auto kReportTime = std::chrono::seconds(8);  // what gdb needs before CTest's kill

std::chrono::seconds testLimit() {
    const int seconds = qEnvironmentVariableIntValue("OMNI_TEST_LIMIT");
    return std::chrono::seconds(seconds > 0 ? seconds : 60);
}

std::int64_t ticks(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

std::atomic<std::int64_t> lastBeat{0};  // when the UI thread last ran its event loop

QString describe(QWidget* modal) {
    QString text = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        text += QStringLiteral(": ") + box->text();
    return QStringLiteral("%1 \"%2\"")
        .arg(QString::fromLatin1(modal->metaObject()->className()), text);
}

// Prints the stack of every thread of this process through gdb, waiting for it at most 20 s.
void printStacks() {
    const std::string pid = std::to_string(::getpid());
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, STDIN_FILENO);
        ::execlp("gdb", "gdb", "-p", pid.c_str(), "-batch", "-nx", "-ex", "thread apply all bt 40",
                 static_cast<char*>(nullptr));
        std::fprintf(stderr, "(gdb is not installed: no stacks)\n");
        std::_Exit(127);
    }
    if (child < 0)
        return;
    const auto until = Clock::now() + std::chrono::seconds(20);
    while (::waitpid(child, nullptr, WNOHANG) == 0) {
        if (Clock::now() > until) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

[[noreturn]] void failWithStacks(const char* what) {
    const char* function = QTest::currentTestFunction();
    std::fprintf(stderr, "FAIL: %s (in %s)\n", what, function ? function : "no test function");
    std::fflush(stderr);
    printStacks();
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

// Runs beside the UI thread for the whole program; never joined (the process ends it).
void watchTheUiThread(std::chrono::seconds limit) {
    const Clock::time_point start = Clock::now();
    const auto blockedLimit = limit / 2;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const Clock::time_point now = Clock::now();
        const std::int64_t beat = lastBeat.load();
        if (beat != 0 && ticks(now) - beat > std::chrono::milliseconds(blockedLimit).count())
            failWithStacks("the user-interface thread stopped running its event loop");
        if (now - start > limit - kReportTime)
            failWithStacks("the test program is about to reach its time limit");
    }
}

void watchModals(std::chrono::seconds modalLimit) {
    static QPointer<QWidget> watched;
    static Clock::time_point since;
    lastBeat.store(ticks(Clock::now()));
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != watched) {
        watched = modal;
        since = Clock::now();
        return;
    }
    if (modal == nullptr || Clock::now() - since < modalLimit)
        return;
    std::fprintf(stderr, "FAIL: a modal window stayed open with nothing to close it: %s\n",
                 qPrintable(describe(modal)));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

void startWatchdog() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    // gdb may attach to this process even where only parents may trace their children.
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    const std::chrono::seconds limit = testLimit();
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(kPoll);
    QObject::connect(timer, &QTimer::timeout, [limit] { watchModals(limit * 2 / 3); });
    timer->start();
    std::thread(watchTheUiThread, limit).detach();
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startWatchdog)
