// Saves pictures of the main window connected to the simulated 2D reader with a short
// conversation in the communication log. Usage: omnisetup_connection_screenshots OUTPUT.png
// (the language comes from OMNISETUP_LANG, as for the program).
#include <QApplication>
#include <QPixmap>
#include <QTest>

#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "commands/selector_model.h"
#include "foundation/exception.h"
#include "resources/strings.h"
#include "serial/gui/code_page_combo_box.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "sim/simulated_reader.h"

namespace {

using omni::serial::SimulatedFamily;

// Answers "Z3" with a few setting lines, as a reader lists its settings.
class SettingsResponder : public omni::sim::Responder {
public:
    bool handle(std::string_view command, omni::sim::SimulatedReader& reader) override {
        if (command != "Z3")
            return false;
        reader.reply("BCA BCB BCC BCD\rRDA RBA RCA\rZ3 OK\r");
        return true;
    }
};

void pick(omni::app::MainWindow& window, const char* path) {
    const omni::commands::EntryPath found = omni::commands::findEntryByPath(path, window.mode2D());
    window.selector()->select(found.group, found.entry);
    window.selector()->pickSelected();
    QTest::qWait(150);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    try {
        omni::serial::storePortChoice("Software\\Kestrel\\OmniSetupConnectShots", {});
        omni::app::MainWindow window("Software\\Kestrel\\OmniSetupConnectShots");
        window.resize(1280, 800);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        window.portBox()->choosePort(
            omni::serial::SimulatedReaders::descriptor(SimulatedFamily::TwoD));
        window.actions().connectReader->trigger();
        if (!QTest::qWaitFor([&] { return window.connection()->isConnected(); }, 15000))
            return 1;
        window.simulatedReaders()
            .reader(SimulatedFamily::TwoD)
            ->addResponder(std::make_unique<SettingsResponder>());
        pick(window, "Basic commands > Diagnostics > Transmit software version");
        pick(window, "Basic commands > Diagnostics > Transmit settings");
        window.commandBox()->setText(QStringLiteral("[BCA"));
        window.commandBox()->submit();
        auto* reader = window.simulatedReaders().reader(SimulatedFamily::TwoD);
        reader->send("4912345678904\r");
        if (omni::res::currentLanguage() == omni::res::Language::Japanese) {
            // A Japanese label read in Shift JIS: "商品コード" and a code.
            window.codePageBox()->selectCodePage(932);
            reader->send("\x8f\xa4\x95\x69\x83\x52\x81\x5b\x83\x68 A-100\r");
        }
        QTest::qWait(400);
        window.grab().save(QString::fromLocal8Bit(argv[1]));
        window.actions().connectReader->trigger();
    } catch (const omni::foundation::Exception& error) {
        qWarning("%s", error.what());
        return 1;
    }
    return 0;
}
