// omnisetup: the desktop program.
#include <QApplication>
#include <QTranslator>

#include "app/gui/main_window.h"
#include "foundation/exception.h"
#include "resources/strings.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OmniSetup"));
    QApplication::setApplicationVersion(QStringLiteral(OMNI_VERSION));
    // Qt's own dialogs (files, printing, message box buttons) speak the program's language.
    QTranslator qtTexts;
    omni::ui::installQtTexts(qtTexts);
    try {
        omni::app::MainWindow window;
        window.show();
        return app.exec();
    } catch (const omni::foundation::Exception& error) {
        omni::ui::reportException(nullptr, error);
    }
    return 0;
}
