// Saves pictures of the main window for review: 2D and 1D mode, each with a menu-code page
// holding a few settings; the catalog filter narrowing the tree; the help window; the question
// about an unsaved page. Usage: omnisetup_screenshots OUTPUT_PREFIX
#include <functional>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTranslator>
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
#include "resources/strings.h"
#include "ui/gui/text.h"

namespace {

void pick(omni::app::MainWindow& window, const char* path) {
    const omni::commands::EntryPath found = omni::commands::findEntryByPath(path, window.mode2D());
    window.selector()->select(found.group, found.entry);
    window.selector()->pickSelected();
}

// Saves the next modal dialog as `path`, then closes it with `close`.
void grabNextModal(const QString& path, std::function<void(QWidget*)> close) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, path, close = std::move(close)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        poll->deleteLater();
        QTest::qWait(100);
        modal->grab().save(path);
        close(modal);
    });
    poll->start();
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
    // Qt's own dialogs in the program's language, as the program loads them.
    QTranslator qtTexts;
    omni::gui::installQtTexts(qtTexts);
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
        grabNextModal(prefix + QStringLiteral("-save-as.png"),
                      [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        window.actions().saveAs->trigger();

        window.switchMode();
        pick(window, "Switching the interface(Caution!!) > Switching to RS-232C(Caution!!)");
        save(window, prefix + QStringLiteral("-1d.png"));
        window.switchMode();

        QLineEdit* filter = window.selector()->filterBox();
        filter->setFocus();
        QTest::keyClicks(filter, QStringLiteral("code39"));
        save(window, prefix + QStringLiteral("-filter.png"));
        filter->clear();

        window.actions().help->trigger();
        if (auto* help = window.findChild<omni::app::HelpWindow*>()) {
            static_cast<void>(QTest::qWaitForWindowExposed(help));
            QTest::qWait(50);
            help->grab().save(prefix + QStringLiteral("-help.png"));
            help->close();
        }

        // Closing the window asks about the unsaved page; the question is saved, then answered.
        grabNextModal(prefix + QStringLiteral("-unsaved.png"), [](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                box->button(QMessageBox::Discard)->click();
        });
        window.close();
    } catch (const omni::foundation::Exception& error) {
        qWarning("%s", error.what());
        return 1;
    }
    return 0;
}
