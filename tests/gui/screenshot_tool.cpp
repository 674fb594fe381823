// Saves pictures of the main window for review: 2D and 1D mode, each with a menu-code page
// holding a few settings; the catalog filter narrowing the tree; the help window; the question
// about an unsaved page. Usage: omnisetup_screenshots OUTPUT_PREFIX
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/gui/help_window.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_selector.h"
#include "commands/selector_model.h"
#include "foundation/exception.h"

namespace {

void pick(omni::app::MainWindow& window, const char* path) {
    const omni::EntryPath found = omni::findEntryByPath(path, window.mode2D());
    window.selector()->select(found.group, found.entry);
    window.selector()->pickSelected();
}

void save(omni::app::MainWindow& window, const QString& path) {
    QApplication::processEvents();
    QTest::qWait(50);
    window.grab().save(path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    try {
        omni::app::MainWindow window("Software\\Kestrel\\OmniSetupScreenshots");
        window.resize(1280, 800);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;

        pick(window, "Setting readable codes > 1D Code > Code39 > Enable");
        pick(window, "Code Specific Options > Code39 > Transmit CD");
        pick(window,
             "Read mode > Manual trigger > Single read / Multiple read > Multiple read "
             "(duplication enable)");
        window.commandBox()->setText(QStringLiteral("[DC1Q0Q0Q2Q5"));
        window.commandBox()->submit();
        save(window, prefix + QStringLiteral("-2d.png"));

        window.switchMode();
        pick(window, "Switching the interface(Caution!!) > Switching to RS-232C(Caution!!)");
        save(window, prefix + QStringLiteral("-1d.png"));
        window.switchMode();

        QLineEdit* filter = window.selector()->filterBox();
        filter->setFocus();
        QTest::keyClicks(filter, QStringLiteral("code39"));
        save(window, prefix + QStringLiteral("-filter.png"));
        filter->clear();

        QTest::keyClick(&window, Qt::Key_F1);
        if (auto* help = window.findChild<omni::app::HelpWindow*>()) {
            QTest::qWaitForWindowExposed(help);
            QTest::qWait(50);
            help->grab().save(prefix + QStringLiteral("-help.png"));
            help->close();
        }

        // Closing the window asks about the unsaved page; the question is saved, then answered.
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&poll, prefix] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll.stop();
            QTest::qWait(50);
            box->grab().save(prefix + QStringLiteral("-unsaved.png"));
            box->button(QMessageBox::Discard)->click();
        });
        poll.start();
        window.close();
    } catch (const omni::foundation::Exception& error) {
        qWarning("%s", error.what());
        return 1;
    }
    return 0;
}
