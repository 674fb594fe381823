// The main window's auto tuning command against its simulated 2D reader: the model gate opens
// the dialog, and the recorded commands become the auto tuning menu-code page.
#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/gui/main_window.h"
#include "commands/gui/page_tabs.h"
#include "menucode/menu_code_history.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/simulated_readers.h"
#include "sim/simulated_reader.h"
#include "sim/tuning_responder.h"
#include "tools/gui/auto_tuning_dialog.h"

using omni::serial::SimulatedFamily;
using omni::serial::SimulatedReaders;
using omni::tools::AutoTuningDialog;

class ToolsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void autoTuningMakesTheMenuPage();
};

namespace {

// Waits (running events) until the open dialog has no step running.
bool idle(AutoTuningDialog* dialog) {
    return QTest::qWaitFor([&] { return !dialog->busy(); }, 30000);
}

}  // namespace

void ToolsWindowTest::autoTuningMakesTheMenuPage() {
    omni::app::MainWindow window("Software\\Kestrel\\ToolsWindowTest");
    window.show();
    window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
    window.actions().connectReader->trigger();
    QVERIFY(QTest::qWaitFor([&] { return window.connected(); }, 15000));
    omni::sim::SimulatedReader& reader = *window.simulatedReaders().reader(SimulatedFamily::TwoD);
    omni::sim::addToolResponders(reader).setSuccessAttempt(0);

    bool driven = false;
    QTimer::singleShot(0, this, [&] {
        QVERIFY(QTest::qWaitFor([] { return AutoTuningDialog::openDialog() != nullptr; }, 5000));
        AutoTuningDialog* dialog = AutoTuningDialog::openDialog();
        dialog->setProperty("quiet", true);
        QVERIFY(idle(dialog));
        dialog->button("startTuning")->click();
        QVERIFY(idle(dialog));
        dialog->button("applySelected")->click();
        QVERIFY(idle(dialog));
        dialog->button("makeMenu")->click();
        driven = true;
        dialog->close();
    });
    window.actions().autoTuning->trigger();  // returns when the dialog has closed
    QVERIFY(driven);
    QVERIFY(window.connection()->serialPort().isReceiving());  // the log receives again

    // "Make QR Menu" and the close after a recorded apply each made a page.
    QCOMPARE(window.pageTabs()->count(), 3);
    QCOMPARE(window.pageTabs()->tabText(1), QStringLiteral("AutoTuningMenuCode 2"));
    const omni::menucode::MenuCodeHistory* page = window.pageTabs()->historyAt(1);
    QCOMPARE(page->size(), std::size_t(1));
    QCOMPARE(page->entry(0).label, std::u16string(u"Input command by Auto Tuning"));
    QVERIFY(page->entry(0).bytes.ends_with("Z2"));
}

QTEST_MAIN(ToolsWindowTest)
#include "tools_window_test.moc"
