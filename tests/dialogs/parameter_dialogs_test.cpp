// The parameter dialogs driven as an operator would: their start values, enabling rules, the
// strings OK and Apply compose, and every catalog entry of kinds 1 to 14 opening its dialog.
#include <set>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/gui/entry_dialogs.h"
#include "commands/catalog.h"
#include "commands/gui/dialogs/buzzer_dialog.h"
#include "commands/gui/dialogs/list_box_chars.h"
#include "commands/gui/dialogs/number_input_dialog.h"
#include "commands/gui/dialogs/prefix_suffix_dialog.h"
#include "commands/gui/dialogs/silent_mode_dialog.h"
#include "commands/gui/dialogs/status_led_dialog.h"
#include "commands/gui/dialogs/vibrator_dialog.h"
#include "commands/key_table.h"
#include "commands/resolve.h"
#include "dialogs/modal.h"
#include "menucode/gui/bluetooth/bluetooth_radios.h"
#include "ui/gui/text.h"

using namespace omni;
using namespace omni::commands::dialogs;
using omni::commands::compose::KeyGroup;
using omni::commands::compose::LedState;

namespace {

constexpr commands::CatalogEntry kDecimal{
    1,      commands::EntryKind::DecimalArgument,
    "[DC1", 0,
    8000,   25,
    4,      commands::kOfferInitialize | commands::kOfferInhibit};
constexpr commands::CatalogEntry kByte{1, commands::EntryKind::ByteArgument, "[XQL", 0, 255, 10, 2,
                                       1};

// A double-click on a row of an item view, as a press and release followed by the double-click.
void doubleClick(QListWidget* list, QListWidgetItem* item) {
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Replaces the number box's text as typed keys.
void typeNumber(QSpinBox* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

std::size_t keyRow(const char* name, bool mode2D) {
    return static_cast<std::size_t>(commands::findKeyByName(name, mode2D) -
                                    commands::keyTable(mode2D).data());
}

QString slotText(commands::dialogs::PrefixSuffixDialog& dialog, KeyGroup group, int slot) {
    return dialog.slotList(group)->item(slot)->text();
}

}  // namespace

class ParameterDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numberInputClampsAndOffersItsChoices();
    void buzzerComposesAndFollowsItsEnablingRules();
    void buzzerApplyHandsOverWithoutClosing();
    void statusLedColoursAndConfiguration();
    void vibratorAndSilentMode();
    void prefixSuffixSlotsPreviewAndReset();
    void prefixSuffixDefaultsAndCodeTypes();
    void selectValueListSkipsHeadings();
    void everyDialogEntryOpensItsDialog();
    void entryDialogsComposeThroughResolve();
    void screenshots();
};

void ParameterDialogsTest::numberInputClampsAndOffersItsChoices() {
    commands::dialogs::NumberInputDialog dialog(kDecimal);
    QCOMPARE(dialog.windowTitle(), ui::uiText(omni::res::ids::InputNumberTitle));
    QCOMPARE(dialog.numberBox()->value(), 25);
    bool rangeShown = false;  // the range label is filled from the table's placeholders
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        rangeShown = rangeShown || label->text().contains(QStringLiteral("8000"));
    QVERIFY(rangeShown);
    QVERIFY(!dialog.initializeBox()->isHidden());
    QVERIFY(!dialog.inhibitBox()->isHidden());

    typeNumber(dialog.numberBox(), QStringLiteral("9000"));
    QCOMPARE(dialog.choice().value, 8000);  // typed past the range: clamped, not refused

    dialog.initializeBox()->click();
    QVERIFY(!dialog.numberBox()->isEnabled());
    QCOMPARE(dialog.choice().kind, commands::NumberChoice::Kind::Initialize);
    dialog.inhibitBox()->click();  // the two exclude each other
    QVERIFY(!dialog.initializeBox()->isChecked());
    QCOMPARE(dialog.choice().kind, commands::NumberChoice::Kind::Inhibit);
    dialog.inhibitBox()->click();
    QVERIFY(dialog.numberBox()->isEnabled());

    commands::dialogs::NumberInputDialog byteDialog(kByte);
    QVERIFY(byteDialog.initializeBox()->isHidden());
    QVERIFY(byteDialog.inhibitBox()->isHidden());
    typeNumber(byteDialog.numberBox(), QStringLiteral("-4x"));  // no sign, no letters
    QCOMPARE(byteDialog.numberBox()->text(), QStringLiteral("4"));
}

void ParameterDialogsTest::buzzerComposesAndFollowsItsEnablingRules() {
    commands::dialogs::BuzzerDialog dialog("[BAS", true);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Buzzer"));
    QCOMPARE(dialog.compose(), "[BAS");  // nothing chosen
    QVERIFY(!dialog.frequency()->isEnabled());
    QCOMPARE(dialog.frequency()->value(), 3000);

    dialog.goodRead().button(1)->click();
    dialog.volume().button(int(commands::compose::BuzzerVolume::Loud))->click();
    dialog.duration().button(int(commands::compose::BuzzerDuration::Ms100))->click();
    dialog.tone().button(int(commands::compose::BuzzerTone::CustomFrequency))->click();
    QVERIFY(dialog.frequency()->isEnabled());
    typeNumber(dialog.frequency(), QStringLiteral("2700"));
    QCOMPARE(dialog.compose(), "[BASW8T1W4[DF0Q2Q7Q0Q0");

    // Disabling the good read buzzer disables what belongs to it; Deselect restores everything.
    dialog.goodRead().button(2)->click();
    QVERIFY(!dialog.volume().button(0)->isEnabled());
    QVERIFY(!dialog.duration().button(0)->isEnabled());
    QVERIFY(!dialog.tone().button(0)->isEnabled());
    dialog.startup().button(1)->click();
    QCOMPARE(dialog.compose(), "[BASW0GC");
    dialog.deselectButton()->click();
    QCOMPARE(dialog.compose(), "[BAS");
    QVERIFY(dialog.volume().button(0)->isEnabled());
    QVERIFY(dialog.tone().button(0)->isEnabled());
    QCOMPARE(dialog.goodRead().chosen(), -1);

    // 1D readers: no 75 ms, no read timeout buzzer, an intermediate row per symbology.
    commands::dialogs::BuzzerDialog oneD("[BAS", false);
    QVERIFY(dialog.duration()
                .button(int(commands::compose::BuzzerDuration::Ms75))
                ->isVisibleTo(&dialog));
    QVERIFY(
        !oneD.duration().button(int(commands::compose::BuzzerDuration::Ms75))->isVisibleTo(&oneD));
    QVERIFY(!oneD.readTimeout().button(1)->isEnabled());
    QVERIFY(!oneD.intermediate().button(1)->isVisibleTo(&oneD));
    QVERIFY(oneD.intermediateDataBar().button(1)->isVisibleTo(&oneD));
    QVERIFY(!dialog.intermediateDataBar().button(1)->isVisibleTo(&dialog));
    oneD.goodRead().button(2)->click();
    oneD.intermediateDataBar().button(1)->click();
    oneD.intermediatePdf417().button(2)->click();
    QCOMPARE(oneD.compose(), "[BASW0\r[EB3\r[EB6\r");
}

void ParameterDialogsTest::buzzerApplyHandsOverWithoutClosing() {
    std::vector<std::string> applied;
    commands::dialogs::BuzzerDialog dialog("[BAS", true);
    dialog.setApplyHandler([&](const std::string& text) { applied.push_back(text); }, false);
    QVERIFY(!dialog.applyButton()->isEnabled());  // no current page

    dialog.setApplyHandler([&](const std::string& text) { applied.push_back(text); }, true);
    QVERIFY(dialog.applyButton()->isEnabled());
    dialog.show();
    dialog.startup().button(1)->click();
    dialog.applyButton()->click();
    dialog.startup().button(2)->click();
    dialog.applyButton()->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(applied, (std::vector<std::string>{"[BASGC", "[BASGD"}));

    dialog.okButton()->click();
    QCOMPARE(dialog.result(), "[BASGD");
    QCOMPARE(dialog.result(), dialog.compose());
    QVERIFY(!dialog.isVisible());
}

void ParameterDialogsTest::statusLedColoursAndConfiguration() {
    commands::dialogs::StatusLedDialog dialog("[LED", true);
    QCOMPARE(dialog.swatch(LedState::GoodRead), QColor(0, 153, 220));
    QCOMPARE(dialog.swatch(LedState::NG), QColor(255, 0, 0));
    QCOMPARE(dialog.swatch(LedState::StandDetection), QColor(0, 0, 153));
    QVERIFY(!dialog.level(LedState::NG, 0)->isEnabled());

    dialog.duration().button(int(commands::compose::LedDuration::S01))->click();
    dialog.inversion().button(1)->click();
    QCOMPARE(dialog.compose(), "[LED[XT8[E6Z");  // colours not configured: no [EG2
    dialog.enableConfiguration()->click();
    QVERIFY(dialog.level(LedState::NG, 0)->isEnabled());
    dialog.level(LedState::NG, 1)->setCurrentIndex(3);
    QCOMPARE(dialog.swatch(LedState::NG), QColor(255, 255, 0));
    QCOMPARE(dialog.compose(), "[LED[XT8[E6Z[EG2Q0Q0Q1Q2[EG2Q1Q3Q3Q0[EG2Q2Q0Q0Q1");

    dialog.deselectButton()->click();
    QCOMPARE(dialog.compose(), "[LED");
    QVERIFY(!dialog.level(LedState::NG, 0)->isEnabled());
}

void ParameterDialogsTest::vibratorAndSilentMode() {
    commands::dialogs::VibratorDialog vibrator("[VIB", true);
    vibrator.intensity().button(int(commands::compose::VibrationIntensity::Strong))->click();
    vibrator.goodRead().button(1)->click();
    vibrator.duration().button(int(commands::compose::VibrationDuration::Ms50))->click();
    vibrator.intermediate().button(2)->click();
    QCOMPARE(vibrator.compose(), "[VIB[EBI[EBJ[EBO[ED6Q0");
    vibrator.goodRead().button(2)->click();
    QVERIFY(!vibrator.intensity().button(0)->isEnabled());
    QCOMPARE(vibrator.compose(), "[VIB[EBH[ED6Q0");

    commands::dialogs::SilentModeDialog silent(true);
    QCOMPARE(silent.modeChange().toggle(), commands::compose::Toggle::Enable);
    QCOMPARE(silent.triggerCount()->value(), 10);
    silent.buzzer(0)->click();
    silent.vibrator(1)->click();
    QCOMPARE(silent.compose(), "[EBZQ1Q0Q1Q2");
    typeNumber(silent.triggerCount(), QStringLiteral("0"));
    QCOMPARE(silent.compose(), "[EBZQ0Q1Q1Q2");
    silent.modeChange().button(2)->click();
    QVERIFY(!silent.triggerCount()->isEnabled());
    QVERIFY(!silent.buzzer(0)->isEnabled());
    QCOMPARE(silent.compose(), "[EBZ");

    commands::dialogs::SilentModeDialog oneD(false);
    QCOMPARE(oneD.compose(), "[EBZ\rQ1\rQ0\rQ0\rQ0\r");
}

void ParameterDialogsTest::prefixSuffixSlotsPreviewAndReset() {
    commands::dialogs::PrefixSuffixDialog dialog(true, true, "");
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Prefix/Suffix Settings"));
    QVERIFY(dialog.applyButton() != nullptr);
    QVERIFY(dialog.deselectButton() == nullptr);
    QCOMPARE(dialog.slotList(KeyGroup::CommonPrefix)->count(), 8);
    QCOMPARE(dialog.slotList(KeyGroup::CodeSuffix)->count(), 4);
    QCOMPARE(dialog.compose(), "MZPS");

    // Double-clicking a slot asks for a key; the answer lands in that slot.
    std::size_t offered = 99;
    dialog.setKeyChooser([&](QWidget*, bool, std::size_t now) -> std::optional<std::size_t> {
        offered = now;
        return keyRow("^B(STX)", true);
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    commands::dialogs::ListBoxChars* prefix = dialog.slotList(KeyGroup::CommonPrefix);
    QListWidgetItem* second = prefix->item(1);
    doubleClick(prefix, second);
    QCOMPARE(offered, commands::compose::kEmptyKey);
    QCOMPARE(slotText(dialog, KeyGroup::CommonPrefix, 1), QStringLiteral("^B(STX)"));
    dialog.setKeyChooser([](QWidget*, bool, std::size_t) {
        return std::optional<std::size_t>(keyRow("TAB", true));
    });
    dialog.chooseKey(KeyGroup::CommonSuffix, 0);
    QCOMPARE(dialog.compose(), "MZ1BPS7H");
    QCOMPARE(dialog.preview()->text(), QStringLiteral("[ ^B(STX) ]+<DATA>+[ TAB ]"));

    // A cancelled choice changes nothing; Reset asks first and empties only on OK.
    dialog.setKeyChooser([](QWidget*, bool, std::size_t) { return std::nullopt; });
    dialog.chooseKey(KeyGroup::CommonSuffix, 0);
    QString asked;
    dialog.setConfirm([&](QWidget*, const QString& caption, const QString& text) {
        asked = caption + QLatin1Char('|') + text;
        return false;
    });
    dialog.resetGroup(KeyGroup::CommonPrefix);
    QCOMPARE(asked, QStringLiteral("Information|Do you want to initialize Preamble?"));
    QCOMPARE(dialog.compose(), "MZ1BPS7H");
    dialog.setConfirm([](QWidget*, const QString&, const QString&) { return true; });
    dialog.resetGroup(KeyGroup::CommonPrefix);
    QCOMPARE(dialog.compose(), "MZPS7H");
}

void ParameterDialogsTest::prefixSuffixDefaultsAndCodeTypes() {
    // With a page the default key is CR: in the code suffix, or the common suffix for "KVT".
    commands::dialogs::PrefixSuffixDialog withPage(true, true, "");
    QVERIFY(withPage.connectionBox()->isHidden());
    QCOMPARE(slotText(withPage, KeyGroup::CodeSuffix, 0), QStringLiteral("^M(CR)"));
    commands::dialogs::PrefixSuffixDialog kvt(true, true, "KVT");
    QCOMPARE(slotText(kvt, KeyGroup::CommonSuffix, 0), QStringLiteral("^M(CR)"));
    QCOMPARE(kvt.compose(), "MZPS1M");

    // Without a page: the connection type shows, keyboard first.
    commands::dialogs::PrefixSuffixDialog noPage(false, false, "");
    QVERIFY(!noPage.connectionBox()->isHidden());
    QCOMPARE(slotText(noPage, KeyGroup::CodeSuffix, 0), QStringLiteral("RETURN"));
    noPage.connection().button(int(commands::compose::ConnectionType::Com))->click();
    QCOMPARE(slotText(noPage, KeyGroup::CodeSuffix, 0), QStringLiteral("^M(CR)"));

    // "Each Code": the common groups are disabled and the code type's commands are used.
    QVERIFY(!noPage.codeType()->isEnabled());
    noPage.eachCode()->setChecked(true);
    QVERIFY(noPage.codeType()->isEnabled());
    QVERIFY(!noPage.slotList(KeyGroup::CommonPrefix)->isEnabled());
    QCOMPARE(noPage.compose(), "RY\rRZ\r1M\r");
    noPage.codeType()->setCurrentIndex(1);  // a heading: moves on to UPC-A
    QCOMPARE(noPage.codeType()->currentText(), QStringLiteral("UPC-A"));
    QCOMPARE(noPage.compose(), "N1\rN6\r1M\r");
    noPage.codeType()->setCurrentIndex(0);
    noPage.codeType()->setCurrentIndex(1);
    QCOMPARE(noPage.codeType()->currentIndex(), 2);

    commands::dialogs::PrefixSuffixDialog twoD(true, true, "");
    const int heading = twoD.codeType()->findText(QStringLiteral("-----Postal Code-----"));
    QVERIFY(heading > 0);
    twoD.codeType()->setCurrentIndex(heading + 1);
    twoD.codeType()->setCurrentIndex(heading);  // travelling up: lands above the heading
    QCOMPARE(twoD.codeType()->currentIndex(), heading - 1);
}

void ParameterDialogsTest::selectValueListSkipsHeadings() {
    commands::dialogs::PrefixSuffixListDialog dialog(true, keyRow("TAB", true));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select a value"));
    QCOMPARE(dialog.list()->count(), 178);
    QCOMPARE(dialog.chosenRow(), keyRow("TAB", true));
    QVERIFY(dialog.list()->item(0)->flags() & Qt::ItemIsSelectable);  // the empty choice
    QVERIFY(!(dialog.list()->item(1)->flags() & Qt::ItemIsSelectable));
    QCOMPARE(commands::dialogs::PrefixSuffixListDialog(false, 0).list()->count(), 186);

    // Run modally as the slot lists do: double-click a key.
    test::onNextModal([](QWidget* modal) {
        auto* list = modal->findChild<QListWidget*>();
        QListWidgetItem* item = list->item(static_cast<int>(keyRow("ESC", true)));
        list->scrollToItem(item);
        QVERIFY(QTest::qWaitForWindowExposed(modal));
        doubleClick(list, item);
        if (modal->isVisible())
            static_cast<QDialog*>(modal)->reject();  // the click missed
    });
    QCOMPARE(commands::dialogs::PrefixSuffixListDialog::choose(nullptr, true, 0),
             keyRow("ESC", true));
}

void ParameterDialogsTest::everyDialogEntryOpensItsDialog() {
    const std::map<commands::EntryKind, std::uint32_t> titles = {
        {commands::EntryKind::PrefixSuffix, omni::res::ids::PrefixSuffixCaption},
        {commands::EntryKind::DecimalArgument, omni::res::ids::InputNumberTitle},
        {commands::EntryKind::SilentMode, omni::res::ids::SilentModeCaption},
        {commands::EntryKind::ByteArgument, omni::res::ids::InputNumberTitle},
        {commands::EntryKind::Buzzer, omni::res::ids::BuzzerCaption},
        {commands::EntryKind::StatusLed, omni::res::ids::StatusLedCaption},
        {commands::EntryKind::Vibrator, omni::res::ids::VibratorCaption},
        {commands::EntryKind::BluetoothAddress, 771},
        {commands::EntryKind::BluetoothClearData, 818},
        {commands::EntryKind::BluetoothDisconnect, 819},
        {commands::EntryKind::BluetoothTime, 823},
        {commands::EntryKind::BluetoothTimeCode, 823},
        {commands::EntryKind::BluetoothDeviceName, 824},
        {commands::EntryKind::BluetoothDemoMode, 838},
    };
    QWidget owner;
    app::DialogHost host;
    host.radios = std::make_shared<menucode::bluetooth::FixedBluetoothRadios>(
        std::vector<std::uint64_t>{0x0012'3456'789Aull});
    app::QtEntryDialogs dialogs(&owner, host);

    int opened = 0;
    std::set<commands::EntryKind> kinds;
    for (bool mode2D : {true, false}) {
        std::function<void(std::span<const commands::CatalogNode>)> walk =
            [&](std::span<const commands::CatalogNode> nodes) {
                for (const commands::CatalogNode& node : nodes) {
                    for (const commands::CatalogEntry& entry : commands::entriesOf(&node)) {
                        const auto title = titles.find(entry.kind);
                        if (title == titles.end())
                            continue;
                        QString shown;
                        test::onNextModal([&](QWidget* modal) {
                            shown = modal->windowTitle();
                            static_cast<QDialog*>(modal)->reject();
                        });
                        const commands::ResolveResult result =
                            commands::resolveEntry(entry, mode2D, dialogs);
                        QCOMPARE(result.kind, commands::ResolveResult::Kind::Nothing);
                        QCOMPARE(shown, ui::uiText(title->second));
                        kinds.insert(entry.kind);
                        ++opened;
                    }
                    walk(commands::childrenOf(&node));
                }
            };
        walk(commands::topLevelGroups(mode2D));
    }
    QVERIFY(opened > 20);
    QVERIFY(kinds.size() >= 12);  // kind 12 is in neither catalog
}

void ParameterDialogsTest::entryDialogsComposeThroughResolve() {
    QWidget owner;
    std::vector<std::string> applied;
    bool page = true;
    app::DialogHost host;
    host.hasCurrentPage = [&] { return page; };
    host.apply = [&](const std::string& text) { applied.push_back(text); };
    host.readerModel = [] { return std::string("KVT"); };
    app::QtEntryDialogs dialogs(&owner, host);

    // Kind 2: a typed value past the range, OK.
    test::onNextModal([](QWidget* modal) {
        auto* dialog = static_cast<commands::dialogs::NumberInputDialog*>(modal);
        typeNumber(dialog->numberBox(), QStringLiteral("9000"));
        dialog->okButton()->click();
    });
    QCOMPARE(commands::resolveEntry(kDecimal, true, dialogs).text, "[DC1Q8Q0Q0Q0");
    test::onNextModal([](QWidget* modal) {
        auto* dialog = static_cast<commands::dialogs::NumberInputDialog*>(modal);
        dialog->initializeBox()->click();
        dialog->okButton()->click();
    });
    QCOMPARE(commands::resolveEntry(kDecimal, false, dialogs).text, "[DC1");

    // Buzzer: Apply twice, then OK; Apply reached the owner, OK the resolver.
    const commands::CatalogEntry buzzer{1, commands::EntryKind::Buzzer, "[BAS", 0, 0, 0, 0, 0};
    test::onNextModal([](QWidget* modal) {
        auto* dialog = static_cast<commands::dialogs::BuzzerDialog*>(modal);
        QVERIFY(dialog->applyButton()->isEnabled());
        dialog->startup().button(1)->click();
        dialog->applyButton()->click();
        dialog->readTimeout().button(2)->click();
        dialog->applyButton()->click();
        dialog->okButton()->click();
    });
    QCOMPARE(commands::resolveEntry(buzzer, true, dialogs).text, "[BASGC[EAP");
    QCOMPARE(applied, (std::vector<std::string>{"[BASGC", "[BASGC[EAP"}));

    // Without a current page Apply is disabled; Cancel gives nothing.
    page = false;
    bool applyEnabled = true;
    test::onNextModal([&](QWidget* modal) {
        auto* dialog = static_cast<commands::dialogs::PrefixSuffixDialog*>(modal);
        applyEnabled = dialog->applyButton()->isEnabled();
        dialog->cancelButton()->click();
    });
    const commands::CatalogEntry prefix{1, commands::EntryKind::PrefixSuffix, "", 0, 0, 0, 0, 0};
    QCOMPARE(commands::resolveEntry(prefix, true, dialogs).kind,
             commands::ResolveResult::Kind::Nothing);
    QVERIFY(!applyEnabled);

    // The page's reader model moves the default key into the common suffix.
    page = true;
    test::onNextModal([](QWidget* modal) {
        static_cast<commands::dialogs::PrefixSuffixDialog*>(modal)->accept();
    });
    QCOMPARE(commands::resolveEntry(prefix, true, dialogs).text, "MZPS1M");
}

void ParameterDialogsTest::screenshots() {
    commands::dialogs::NumberInputDialog number(kDecimal);
    if (!test::saveScreenshot(number, QStringLiteral("number-input"))) {
        QSKIP("OMNI_SCREENSHOT_DIR not set");
    }
    commands::dialogs::NumberInputDialog byteNumber(kByte);
    test::saveScreenshot(byteNumber, QStringLiteral("number-input-byte"));
    commands::dialogs::BuzzerDialog buzzerStart("[BAS", true);
    buzzerStart.setApplyHandler([](const std::string&) {}, true);
    test::saveScreenshot(buzzerStart, QStringLiteral("buzzer-2d-start"));
    commands::dialogs::BuzzerDialog buzzer2D("[BAS", true);
    buzzer2D.setApplyHandler([](const std::string&) {}, true);
    buzzer2D.goodRead().button(1)->click();
    buzzer2D.tone().button(int(commands::compose::BuzzerTone::CustomFrequency))->click();
    test::saveScreenshot(buzzer2D, QStringLiteral("buzzer-2d"));
    commands::dialogs::BuzzerDialog buzzer1D("[BAS", false);
    test::saveScreenshot(buzzer1D, QStringLiteral("buzzer-1d"));
    commands::dialogs::StatusLedDialog led("[LED", true);
    led.enableConfiguration()->click();
    test::saveScreenshot(led, QStringLiteral("status-led"));
    commands::dialogs::VibratorDialog vibrator("[VIB", true);
    test::saveScreenshot(vibrator, QStringLiteral("vibrator"));
    commands::dialogs::SilentModeDialog silent(true);
    test::saveScreenshot(silent, QStringLiteral("silent-mode"));
    commands::dialogs::PrefixSuffixDialog prefix(true, false, "");
    prefix.setKeyChooser([](QWidget*, bool, std::size_t) {
        return std::optional<std::size_t>(keyRow("TAB", true));
    });
    prefix.chooseKey(KeyGroup::CommonPrefix, 0);
    test::saveScreenshot(prefix, QStringLiteral("prefix-suffix"));
    commands::dialogs::PrefixSuffixDialog prefixEach(true, true, "");
    prefixEach.eachCode()->setChecked(true);
    prefixEach.codeType()->setCurrentIndex(2);
    test::saveScreenshot(prefixEach, QStringLiteral("prefix-suffix-each-code"));
    commands::dialogs::PrefixSuffixListDialog list(true, keyRow("TAB", true));
    test::saveScreenshot(list, QStringLiteral("select-a-value"));
}

QTEST_MAIN(ParameterDialogsTest)
#include "parameter_dialogs_test.moc"
#include "resources/string_ids.h"
