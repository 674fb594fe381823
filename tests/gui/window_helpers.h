// Helpers shared by the main-window tests.
#pragma once

#include <QtTest/QtTest>

#include <filesystem>
#include <string>
#include <vector>

#include "app/gui/main_window.h"
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

// Picks an entry by its English caption path, as the operator would by double-clicking it.
inline void pick(omni::app::MainWindow& window, const char* path) {
    const omni::commands::EntryPath found = omni::commands::findEntryByPath(path, window.mode2D());
    QVERIFY(window.selector()->select(found.group, found.entry));
    window.selector()->pickSelected();
}

// Collects the messages the window would show, while it lives.
struct Messages {
    Messages() {
        previous = omni::gui::setMessageSink(
            [this](const omni::gui::ShownMessage& m) { shown.push_back(m); });
    }
    ~Messages() { omni::gui::setMessageSink(previous); }
    std::vector<omni::gui::ShownMessage> shown;
    omni::gui::MessageSink previous;
};

}  // namespace omni::test
