// Helpers shared by the main-window tests.
#pragma once

#include <QProcess>
#include <QtTest/QtTest>

#include <filesystem>
#include <string>
#include <vector>

#include "app/gui/main_window.h"
#include "commands/gui/command_selector.h"
#include "commands/selector_model.h"
#include "foundation/settings_store.h"
#include "ui/gui/report.h"

namespace omni::test {

// A settings key of its own under `prefix`, emptied first so that no earlier run's records are
// read.
inline std::string freshKey(const char* prefix, const char* name) {
    std::string key = std::string("Software\\Kestrel\\") + prefix + "-" + name;
    std::filesystem::remove_all(omni::foundation::settingsFolder(key));
    return key;
}

// Settings keys of their own for one test file's windows, under the file's prefix: with
// `const KeyFor keyFor{"GuiTest"}`, keyFor("shell") is a fresh key for the test "shell".
struct KeyFor {
    const char* prefix;
    std::string operator()(const char* name) const { return freshKey(prefix, name); }
};

// Makes the window active again once a modal is gone: the offscreen platform leaves that to the
// window manager.
inline bool reactivate(omni::app::MainWindow& window) {
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Shows the window at a desktop size, where the port band is not folded into the toolbar's
// overflow menu, and makes it the active window.
inline bool showActive(omni::app::MainWindow& window) {
    window.resize(1180, 780);
    window.show();
    return reactivate(window);
}

// Picks an entry by its English caption path, as the operator would by double-clicking it.
inline void pick(omni::app::MainWindow& window, const char* path) {
    const omni::commands::EntryPath found = omni::commands::findEntryByPath(path, window.mode2D());
    QVERIFY(window.selector()->select(found.group, found.entry));
    window.selector()->pickSelected();
}

// The menu code of a page that fillPage filled.
inline const std::string kFilledPageEnvelope = "@MENU_KEST@ZZ@B2@DC1@Q0@Q0@Q2@Q5@ZZ@TSEK_UNEM@";

// Puts "Code39 > Enable" and a typed "[DC1Q0Q0Q2Q5" on a new page of `window`.
inline void fillPage(omni::app::MainWindow& window) {
    const omni::commands::EntryPath found =
        omni::commands::findEntryByPath("Setting readable codes > 1D Code > Code39 > Enable", true);
    QVERIFY(window.selector()->select(found.group, found.entry));
    window.selector()->pickSelected();
    window.submitTyped(QStringLiteral("[DC1Q0Q0Q2Q5"));
}

// Shows `window` and fills a new page as fillPage does.
inline void showFilledPage(omni::app::MainWindow& window) {
    window.show();
    fillPage(window);
}

// Rasterises page `page` of a PDF at `dpi` with pdftoppm.
inline QImage rasterise(const QString& pdf, int page, int dpi) {
    const QString prefix = pdf + QStringLiteral("-page");
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                       QString::number(page), QStringLiteral("-l"), QString::number(page),
                       QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// Collects the messages the window would show, while it lives.
struct Messages {
    Messages() {
        previous = omni::ui::setMessageSink(
            [this](const omni::ui::ShownMessage& m) { shown.push_back(m); });
    }
    ~Messages() { omni::ui::setMessageSink(previous); }
    std::vector<omni::ui::ShownMessage> shown;
    omni::ui::MessageSink previous;
};

}  // namespace omni::test
