// Helpers of the dialog tests: acting on a modal dialog once it runs, and saving screenshots
// when OMNI_SCREENSHOT_DIR names a folder.
#pragma once

#include <functional>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace omni::test {

// Calls `act` with the next modal widget that opens (the dialog an exec() is about to run).
inline void onNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

// Answers a file dialog with `path` typed into its file-name box, then accepts it. Qt's
// selectFile() leaves that box as it is while it has the focus, which it may already have when
// the dialog is found.
inline void answerFileDialog(QFileDialog& dialog, const QString& path) {
    if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    else
        dialog.selectFile(path);
    QMetaObject::invokeMethod(&dialog, "accept");
}

// Shows `dialog` at its natural size and saves it as <OMNI_SCREENSHOT_DIR>/<name>-<lang>.png.
// Returns false when no folder is named.
inline bool saveScreenshot(QWidget& dialog, const QString& name) {
    const QString dir = qEnvironmentVariable("OMNI_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return false;
    QDir().mkpath(dir);
    dialog.show();
    dialog.adjustSize();
    QApplication::processEvents();
    const QString lang = qEnvironmentVariable("OMNISETUP_LANG", QStringLiteral("en"));
    dialog.grab().save(dir + QLatin1Char('/') + name + QLatin1Char('-') + lang +
                       QStringLiteral(".png"));
    dialog.hide();
    return true;
}

}  // namespace omni::test
