// omnisetup: the desktop program.
#include <QApplication>

#include "app/gui/main_window.h"
#include "ui/exception.h"
#include "ui/gui/report.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OmniSetup"));
    QApplication::setApplicationVersion(QStringLiteral(OMNI_VERSION));
    try {
        omni::app::MainWindow window;
        window.show();
        return app.exec();
    } catch (const omni::Exception& error) {
        omni::gui::reportException(nullptr, error);
    }
    return 0;
}
