// Saves pictures of the main window for review: 2D and 1D mode, each with a menu-code page
// holding a few settings; the catalog filter narrowing the tree; the help window; the question
// about an unsaved page; connected to the simulated 2D reader, an image page (zoomed, with the
// exposure frame), the shoot dialog receiving and waiting for the trigger, and the image output
// settings dialog. Usage: omnisetup_screenshots OUTPUT_PREFIX
#include <functional>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "app/gui/help_window.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "commands/selector_model.h"
#include "foundation/exception.h"
#include "image/gui/image_static.h"
#include "image/gui/shoot_dialog.h"
#include "resources/strings.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/simulated_readers.h"
#include "sim/capture_responder.h"
#include "sim/simulated_reader.h"
#include "ui/gui/text.h"

namespace {

void pick(omni::app::MainWindow& window, const char* path) {
    const omni::commands::EntryPath found = omni::commands::findEntryByPath(path, window.mode2D());
    window.selector()->select(found.group, found.entry);
    window.selector()->pickSelected();
}

// Runs `act` on the next modal dialog, once one is open.
void onNextModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start();
}

// Saves the next modal dialog as `path`, then closes it with `close`.
void grabNextModal(const QString& path, std::function<void(QWidget*)> close) {
    onNextModal([path, close = std::move(close)](QWidget* modal) {
        QTest::qWait(100);
        modal->grab().save(path);
        close(modal);
    });
}

void save(omni::app::MainWindow& window, const QString& path) {
    QApplication::processEvents();
    QTest::qWait(50);
    window.grab().save(path);
}

// Answers every later question about an unsaved page with Don't Save, while the window closes.
void discardUnsavedPages() {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Discard)->click();
    });
    poll->start();
}

// Saves the next modal dialog once `ready` holds (or after five seconds), then closes it.
void saveNextDialog(const QString& path, std::function<bool(QWidget*)> ready) {
    onNextModal([path, ready = std::move(ready)](QWidget* modal) {
        if (!QTest::qWaitFor([&] { return ready(modal); }, 5000))
            qWarning("saving %s before it was ready", qPrintable(path));
        QTest::qWait(50);
        modal->grab().save(path);
        QMetaObject::invokeMethod(modal, "reject");
    });
}

bool transferring(QWidget* modal) {
    auto* dialog = qobject_cast<omni::image::ShootDialog*>(modal);
    return dialog && dialog->transferBar()->value() * 3 > dialog->transferBar()->maximum();
}

bool waitingForTrigger(QWidget* modal) {
    auto* dialog = qobject_cast<omni::image::ShootDialog*>(modal);
    return dialog && dialog->triggerBar()->value() > 0 && dialog->triggerBar()->value() < 30;
}

// The imaging pictures, connected to the simulated 2D reader.
bool saveImaging(omni::app::MainWindow& window, const QString& prefix) {
    using omni::serial::SimulatedFamily;
    window.portBox()->choosePort(omni::serial::SimulatedReaders::descriptor(SimulatedFamily::TwoD));
    window.toggleConnection();
    if (!QTest::qWaitFor([&] { return window.connected(); }, 15000))
        return false;
    window.shootImage(omni::reader::TriggerKind::Default);
    if (window.pageTabs()->currentKind() != omni::commands::PageKind::Image)
        return false;
    omni::image::ImageStatic* view = window.imageView();
    view->setZoomStep(6);
    view->setFrameEnabled(true);
    view->setFrameVisible(true);
    view->setFrameImage(QRect(QPoint(190, 110), QPoint(450, 370)));
    view->horizontalScrollBar()->setValue(120);
    view->verticalScrollBar()->setValue(150);
    save(window, prefix + QStringLiteral("-image.png"));

    // A slow line, so that the dialog is caught with its bar part-way.
    omni::sim::SimulatedReader& reader = *window.simulatedReaders().reader(SimulatedFamily::TwoD);
    omni::sim::CaptureResponder* capture = omni::sim::addImagingResponders(reader).capture;
    capture->setLineRate(60000);
    saveNextDialog(prefix + QStringLiteral("-shoot.png"), transferring);
    window.shootImage(omni::reader::TriggerKind::Default);
    saveNextDialog(prefix + QStringLiteral("-output-settings.png"), [](QWidget*) { return true; });
    window.editImageOutputSettings();
    capture->setTriggerDelay(std::chrono::seconds(20));
    saveNextDialog(prefix + QStringLiteral("-shoot-trigger.png"), waitingForTrigger);
    window.shootImage(omni::reader::TriggerKind::Down);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    // Qt's own dialogs in the program's language, as the program loads them.
    QTranslator qtTexts;
    omni::ui::installQtTexts(qtTexts);
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
        if (!saveImaging(window, prefix))
            return 1;

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

        // Closing the window asks about the unsaved pages (the menu-code page, the shot picture);
        // the first question is saved, then each is answered.
        grabNextModal(prefix + QStringLiteral("-unsaved.png"), [](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                box->button(QMessageBox::Discard)->click();
            discardUnsavedPages();
        });
        window.close();
    } catch (const omni::foundation::Exception& error) {
        qWarning("%s", error.what());
        return 1;
    }
    return 0;
}
