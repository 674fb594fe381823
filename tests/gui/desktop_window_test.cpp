// The main window as a new user meets it, driven by keys and clicks routed by Qt's focus and
// shortcuts: unsaved pages, the help window, the catalog filter, the mode in the status bar, a
// reader that is away, and the small things of the menus and tabs.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <functional>

#include "../dialogs/modal.h"
#include "app/gui/help_window.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/command_tree.h"
#include "commands/gui/page_tabs.h"
#include "menucode/gui/menu_code_page.h"
#include "menucode/menu_code_history.h"
#include "resources/strings.h"
#include "ui/gui/icons.h"
#include "ui/gui/report.h"
#include "window_helpers.h"

using omni::app::MainWindow;
using omni::commands::PageKind;

namespace {

const omni::test::KeyFor keyFor{"DesktopTest"};

using omni::test::reactivate;
using omni::test::showActive;

// Answers the next message box with `button` and counts the boxes answered. A box that nobody
// expected is cancelled after a few seconds, so a test never hangs on it.
struct Answers {
    int asked = 0;
    QString lastText;
    void next(QMessageBox::StandardButton button) {
        auto* timer = new QTimer;
        timer->setInterval(5);
        auto* deadline = new QTimer(timer);
        deadline->setSingleShot(true);
        deadline->start(5000);
        QObject::connect(timer, &QTimer::timeout, [this, timer, deadline, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box && deadline->isActive())
                return;
            timer->stop();
            timer->deleteLater();
            if (!box)
                return;
            ++asked;
            lastText = box->text();
            box->button(button)->click();
        });
        timer->start();
    }
};

// Types a command into the command box (Esc gives it the focus) and presses Enter.
void typeCommand(MainWindow& window, const QString& command) {
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClicks(QApplication::focusWidget(), command);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

}  // namespace

class DesktopWindowTest : public QObject {
    Q_OBJECT
private slots:
    void unsavedPagesAreNotLostWithoutAsking();
    void f1ShowsTheHelpInEnglishAndJapanese();
    void filterBoxNarrowsTheCatalogTree();
    void statusBarShowsTheModeAndWarnsAboutThePageMode();
    void smallThingsOfMenusTabsAndDialogs();
};

void DesktopWindowTest::unsavedPagesAreNotLostWithoutAsking() {
    MainWindow window(keyFor("unsaved"));
    QVERIFY(showActive(window));
    Answers answers;
    typeCommand(window, QStringLiteral("B2"));
    QCOMPARE(window.pageTabs()->count(), 2);
    QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t(1));

    // New: Cancel keeps the page, Don't Save closes it.
    answers.next(QMessageBox::Cancel);
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(answers.asked, 1);
    QVERIFY(reactivate(window));
    QVERIFY(answers.lastText.contains(window.pageTabs()->tabText(1)));
    QCOMPARE(window.pageTabs()->count(), 2);
    answers.next(QMessageBox::Discard);
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(answers.asked, 2);
    QVERIFY(reactivate(window));
    QCOMPARE(window.pageTabs()->count(), 1);

    // An empty page and a saved page close without a question.
    QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(window.pageTabs()->count(), 1);
    typeCommand(window, QStringLiteral("B2"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.emf"));
    window.saveCurrentTo(file);
    auto closeButton = [&] { return window.pageTabs()->tabButton(1, QTabBar::RightSide); };
    QTest::mouseClick(closeButton(), Qt::LeftButton);
    QCOMPARE(answers.asked, 2);
    QVERIFY(reactivate(window));
    QCOMPARE(window.pageTabs()->count(), 1);

    // The tab's close button on a changed page: Cancel keeps it, Save writes it under its name.
    typeCommand(window, QStringLiteral("B2"));
    window.saveCurrentTo(file);
    const qint64 savedSize = QFileInfo(file).size();
    typeCommand(window, QStringLiteral("[DC1Q0Q0Q2Q5"));
    answers.next(QMessageBox::Cancel);
    QTest::mouseClick(closeButton(), Qt::LeftButton);
    QCOMPARE(answers.asked, 3);
    QVERIFY(reactivate(window));
    QCOMPARE(window.pageTabs()->count(), 2);
    answers.next(QMessageBox::Save);
    QTest::mouseClick(closeButton(), Qt::LeftButton);
    QCOMPARE(answers.asked, 4);
    QVERIFY(reactivate(window));
    QCOMPARE(window.pageTabs()->count(), 1);
    QVERIFY(QFileInfo(file).size() != savedSize);

    // Exit: Cancel keeps the window open.
    typeCommand(window, QStringLiteral("B2"));
    answers.next(QMessageBox::Cancel);
    window.actions().exit->trigger();
    QCOMPARE(answers.asked, 5);
    QVERIFY(reactivate(window));
    QVERIFY(window.isVisible());
    answers.next(QMessageBox::Discard);
    window.actions().exit->trigger();
    QCOMPARE(answers.asked, 6);
    QVERIFY(!window.isVisible());
}

void DesktopWindowTest::f1ShowsTheHelpInEnglishAndJapanese() {
    std::vector<omni::ui::ShownMessage> messages;
    const auto previous =
        omni::ui::setMessageSink([&](const omni::ui::ShownMessage& m) { messages.push_back(m); });
    MainWindow window(keyFor("help"));
    QVERIFY(showActive(window));
    QTest::keyClick(&window, Qt::Key_F1);
    omni::ui::setMessageSink(previous);
    QVERIFY(messages.empty());  // the pages are built in: never "not found"
    auto* help = window.findChild<omni::app::HelpWindow*>();
    QVERIFY(help);
    QTRY_VERIFY_WITH_TIMEOUT(help->isVisible(), 2000);
    QTextBrowser* browser = help->browser();
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Keyboard shortcuts")));
    // A link of the contents moves within the page, and Back returns.
    browser->setSource(QUrl(QStringLiteral("#keys")));
    QVERIFY(browser->isBackwardAvailable());

    QPushButton* japanese = nullptr;
    for (QPushButton* b : help->findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("日本語"))
            japanese = b;
    }
    QVERIFY(japanese);
    QTest::mouseClick(japanese, Qt::LeftButton);
    QCOMPARE(help->language(), omni::res::Language::Japanese);
    QVERIFY(browser->toPlainText().contains(QStringLiteral("ショートカット キー")));
    QCOMPARE(help->windowTitle(), QStringLiteral("OmniSetup ヘルプ"));
    // F1 again brings the same window back rather than a second one.
    help->close();
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(window.findChildren<omni::app::HelpWindow*>().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(help->isVisible(), 2000);
}

// The tree's items that are shown (every ancestor shown too), by their full path.
QStringList shownPaths(QTreeWidget* tree) {
    QStringList paths;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        bool shown = true;
        for (QTreeWidgetItem* up = *it; up; up = up->parent())
            shown = shown && !up->isHidden();
        if (shown)
            paths << (*it)->toolTip(0);
    }
    return paths;
}

void DesktopWindowTest::filterBoxNarrowsTheCatalogTree() {
    MainWindow window(keyFor("filter"));
    QVERIFY(showActive(window));
    QTreeWidget* tree = window.selector()->tree();
    const int all = shownPaths(tree).size();
    QVERIFY(all > 100);
    QLineEdit* filter = window.selector()->filterBox();
    QTest::mouseClick(filter, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(filter->hasFocus(), 2000);

    // By caption, letter case ignored: the groups on the way are kept and expanded.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("code39"));
    QStringList shown = shownPaths(tree);
    QVERIFY2(shown.size() < all / 4, qPrintable(QString::number(shown.size())));
    QVERIFY(shown.contains(QStringLiteral("Setting readable codes > 1D Code > Code39")));
    QVERIFY(shown.contains(QStringLiteral("Setting readable codes")));
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->toolTip(0) == QStringLiteral("Setting readable codes > 1D Code"))
            QVERIFY((*it)->isExpanded());
    }
    // By an entry's command: "B2" enables Code 39.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("b2"));
    QVERIFY(shownPaths(tree).contains(QStringLiteral("Setting readable codes > 1D Code > Code39")));
    // Text that matches nothing shows nothing; Escape clears the filter and stays in the box.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("no such setting"));
    QVERIFY(shownPaths(tree).isEmpty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(filter->text().isEmpty());
    QVERIFY(filter->hasFocus());
    QCOMPARE(shownPaths(tree).size(), all);
}

// Rejects the next modal dialog (a file or print dialog); one that never opens is the
// watchdog's to report.
void rejectNextDialog() {
    omni::test::onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        QVERIFY(dialog);
        dialog->reject();
    });
}

void DesktopWindowTest::statusBarShowsTheModeAndWarnsAboutThePageMode() {
    MainWindow window(keyFor("mode"));
    QVERIFY(showActive(window));
    auto* modeLabel = window.findChild<QLabel*>(QStringLiteral("modeLabel"));
    QVERIFY(modeLabel && modeLabel->isVisible());
    QCOMPARE(modeLabel->text(), QStringLiteral("2D mode"));

    std::vector<omni::ui::ShownMessage> messages;
    const auto previous =
        omni::ui::setMessageSink([&](const omni::ui::ShownMessage& m) { messages.push_back(m); });
    typeCommand(window, QStringLiteral("B2"));
    // Printed in the mode it was built in: no warning.
    rejectNextDialog();
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(messages.empty());
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.actions().switchMode->trigger();
    QCOMPARE(modeLabel->text(), QStringLiteral("1D mode"));
    rejectNextDialog();
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(messages.size(), std::size_t(1));
    QVERIFY(messages.back().text.contains(QStringLiteral("built in 2D mode")));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    rejectNextDialog();
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(messages.size(), std::size_t(2));
    omni::ui::setMessageSink(previous);
}

// Calls `act` with the next modal dialog.
void onNextDialog(std::function<void(QDialog*)> act) {
    omni::test::onNextModal([act = std::move(act)](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        QVERIFY(dialog);
        act(dialog);
    });
}

// The access keys of a menu's items, each letter once.
bool accessKeysAreDistinct(const QMenu* menu) {
    QSet<QChar> seen;
    for (const QAction* action : menu->actions()) {
        const QString text = action->text();
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (action->isSeparator() || amp < 0 || amp + 1 >= text.size())
            continue;
        const QChar key = text.at(amp + 1).toUpper();
        if (seen.contains(key))
            return false;
        seen.insert(key);
    }
    return true;
}

void DesktopWindowTest::smallThingsOfMenusTabsAndDialogs() {
    for (const auto language : {omni::res::Language::English, omni::res::Language::Japanese}) {
        omni::res::setLanguage(language);
        MainWindow window(keyFor("menus"));
        for (const QMenu* menu : window.menuBar()->findChildren<QMenu*>())
            QVERIFY2(accessKeysAreDistinct(menu), qPrintable(menu->objectName()));
    }
    omni::res::setLanguage(omni::res::Language::English);

    MainWindow window(keyFor("small"));
    QVERIFY(showActive(window));
    // A new page in 1D mode shows the 1D icon on its tab.
    window.actions().switchMode->trigger();
    QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(window.pageTabs()->tabIcon(1).pixmap(16).toImage(),
             omni::ui::icon(omni::ui::IconId::Leaf1D).pixmap(16).toImage());
    window.actions().switchMode->trigger();

    // Ctrl+D on a page deletes the selected command even while the command box has the focus.
    typeCommand(window, QStringLiteral("B2"));
    typeCommand(window, QStringLiteral("[BCA"));
    QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t(2));
    QTreeWidget* list = window.modePage()->list();
    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.commandBox()->hasFocus() ||
            window.commandBox()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t(1));

    // The page setup dialog confirms with OK, not Print.
    QStringList buttons;
    onNextDialog([&](QDialog* dialog) {
        for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>()) {
            for (QAbstractButton* b : box->buttons())
                buttons << b->text().remove(QLatin1Char('&'));
        }
        dialog->reject();
    });
    window.actions().setupPage->trigger();
    QVERIFY(!buttons.isEmpty());
    QVERIFY2(!buttons.contains(QStringLiteral("Print")), qPrintable(buttons.join(u',')));

    // Save As opens in the folder used last.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("first.emf"));
    onNextDialog([&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files);
        omni::test::answerFileDialog(*files, file);
    });
    window.activateWindow();
    window.actions().saveAs->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file), 20000);
    QString shownFolder;
    onNextDialog([&](QDialog* dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(dialog))
            shownFolder = files->directory().absolutePath();
        dialog->reject();
    });
    window.actions().saveAs->trigger();
    QCOMPARE(shownFolder, QDir(dir.path()).absolutePath());
}

QTEST_MAIN(DesktopWindowTest)
#include "desktop_window_test.moc"
