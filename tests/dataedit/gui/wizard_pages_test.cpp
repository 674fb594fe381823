// The data edit dialogs without a reader: the wizard buttons follow every edit, the store command
// is shown as a QR menu code that a real decoder reads back, and the free line OCR dialog
// composes what its boxes say.
#include <memory>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "dataedit/char_tables.h"
#include "dataedit/gs1.h"
#include "dataedit/gui/data_edit_wizard.h"
#include "dataedit/gui/gs1_wizard.h"
#include "dataedit/gui/menu_code_dialog.h"
#include "dataedit/gui/multi_label_wizard.h"
#include "dataedit/gui/ocr_dialog.h"
#include "dataedit/gui/simple_pages.h"
#include "dataedit/gui/wizard_link.h"
#include "menucode/menu_code_history.h"
#include "menucode/zxing_decode.h"
#include "ui/gui/report.h"
#include "wizard_driver.h"

using namespace omni::dataedit;
using namespace omni::test;  // the wizard driver's helpers

namespace {

template <typename T>
T* child(QWidget* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no child %s", name);
    return found;
}

// The image's content as ZXing reads it.
std::optional<std::string> decodeImage(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    omni::test::GreyImage g;
    g.width = grey.width();
    g.height = grey.height();
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        g.pixels.insert(g.pixels.end(), row, row + grey.width());
    }
    return omni::test::decode(g, ZXing::BarcodeFormat::QRCode);
}

std::string envelopeOf(const std::string& command) {
    omni::menucode::MenuCodeHistory code;
    code.addTypedCommand(command);
    return code.envelope();
}

}  // namespace

class WizardPagesTest : public QObject {
    Q_OBJECT
private slots:
    // Every test runs under a watchdog that closes a modal left open, and fails when it did.
    void init() { watchdog_ = std::make_unique<omni::test::ModalWatchdog>(); }
    void cleanup() { QVERIFY(!std::exchange(watchdog_, nullptr)->fired()); }

    void buttonsFollowEveryEditOfAText();
    void multipleLabelDigitsAndPickUpAisDecideNext();
    void storeWithoutReaderShowsADecodableMenuCode();
    void freeLineOcrComposesItsBoxes();
    void gs1UserSettingsHeadersOptionsAndSaving();

private:
    std::unique_ptr<omni::test::ModalWatchdog> watchdog_;
};

void WizardPagesTest::buttonsFollowEveryEditOfAText() {
    WizardLink link(nullptr);
    SimpleWizard wizard(link, new GS1ConversionPage);
    QVERIFY(shown(&wizard));
    // First page: Next only.
    QTRY_VERIFY(offered(&wizard, QWizard::NextButton));
    QVERIFY(!offered(&wizard, QWizard::BackButton));
    clickWizard(&wizard, QWizard::NextButton);
    QCOMPARE(wizard.currentPage(), wizard.scriptPage());
    QVERIFY(offered(&wizard, QWizard::NextButton));
    QVERIFY(offered(&wizard, QWizard::BackButton));

    auto* begin = child<QLineEdit>(&wizard, "begin");
    QVERIFY(!begin->isEnabled());
    click(child<QCheckBox>(&wizard, "insertBeginEnd"));
    QVERIFY(begin->isEnabled());
    typeInto(begin, QStringLiteral("A\\"));  // a lone backslash
    QVERIFY(!offered(&wizard, QWizard::NextButton));
    QVERIFY(offered(&wizard, QWizard::BackButton));
    QTest::keyClick(begin, Qt::Key_Backspace);
    QVERIFY(offered(&wizard, QWizard::NextButton));
    QTest::keyClicks(begin, QStringLiteral("\\x0G"));  // not two hexadecimal digits
    QVERIFY(!offered(&wizard, QWizard::NextButton));
    QTest::keyClick(begin, Qt::Key_Backspace);
    QTest::keyClicks(begin, QStringLiteral("D"));
    QVERIFY(offered(&wizard, QWizard::NextButton));
    // A refused text in a box that is switched off does not count.
    auto* between = child<QLineEdit>(&wizard, "between");
    click(child<QCheckBox>(&wizard, "insertBetween"));
    QTest::mouseClick(between, Qt::LeftButton);
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
    QApplication::sendEvent(between, &accented);
    QCOMPARE(between->text(), QString(QChar(0xE9)));
    QVERIFY(!offered(&wizard, QWizard::NextButton));
    click(child<QCheckBox>(&wizard, "insertBetween"));
    QVERIFY(offered(&wizard, QWizard::NextButton));
    wizard.reject();
}

void WizardPagesTest::multipleLabelDigitsAndPickUpAisDecideNext() {
    WizardLink link(nullptr);
    {
        MultiLabelWizard wizard(link);
        QVERIFY(shown(&wizard));
        QVERIFY(offered(&wizard, QWizard::NextButton));
        QVERIFY(!offered(&wizard, QWizard::BackButton));
        auto* min = child<QSpinBox>(&wizard, "min1");
        auto* max = child<QSpinBox>(&wizard, "max1");
        QTest::mouseClick(min, Qt::LeftButton);
        min->selectAll();
        QTest::keyClicks(min, QStringLiteral("9"));
        QTest::mouseClick(max, Qt::LeftButton);
        max->selectAll();
        QTest::keyClicks(max, QStringLiteral("5"));
        QVERIFY(!offered(&wizard, QWizard::NextButton));
        max->selectAll();
        QTest::keyClicks(max, QStringLiteral("20"));
        QVERIFY(offered(&wizard, QWizard::NextButton));
        // Label 2 is off until the count says two; then its own texts count.
        auto* begin2 = child<QLineEdit>(&wizard, "begin2");
        QVERIFY(!begin2->isEnabled());
        auto* count = child<QComboBox>(&wizard, "labelCount");
        QTest::mouseClick(count, Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(count->currentIndex(), 1);
        QVERIFY(begin2->isEnabled());
        typeInto(begin2, QStringLiteral("ab\\"));
        QVERIFY(!offered(&wizard, QWizard::NextButton));
        QTest::keyClick(begin2, Qt::Key_Backspace);
        QVERIFY(offered(&wizard, QWizard::NextButton));
        clickWizard(&wizard, QWizard::NextButton);
        // Separators follow the labels in use: one separator for two labels.
        QVERIFY(child<QComboBox>(&wizard, "separator1")->isEnabled());
        QVERIFY(!child<QComboBox>(&wizard, "separator2")->isEnabled());
        wizard.reject();
    }
    {
        auto* page = new PickupPage;
        SimpleWizard wizard(link, page);
        QVERIFY(shown(&wizard));
        clickWizard(&wizard, QWizard::NextButton);
        QVERIFY(!offered(&wizard, QWizard::NextButton));  // AI 1 on "----"
        auto* ai1 = child<QComboBox>(&wizard, "ai1");
        ai1->setFocus();
        QTest::keyClick(ai1, Qt::Key_Down);
        QVERIFY(offered(&wizard, QWizard::NextButton));
        auto* count = child<QComboBox>(&wizard, "aiCount");
        count->setFocus();
        QTest::keyClick(count, Qt::Key_Down);
        QVERIFY(child<QComboBox>(&wizard, "ai2")->isEnabled());
        QVERIFY(!offered(&wizard, QWizard::NextButton));  // AI 2 still on "----"
        wizard.reject();
    }
}

void WizardPagesTest::storeWithoutReaderShowsADecodableMenuCode() {
    WizardLink link(nullptr);
    SetCurrentProgram(1);
    SimpleWizard wizard(link, new BookCodePage);
    QVERIFY(shown(&wizard));
    click(child<QAbstractButton>(&wizard, "program3"));
    clickWizard(&wizard, QWizard::NextButton);
    typeInto(child<QLineEdit>(&wizard, "string2"), QStringLiteral("-"));
    click(child<QCheckBox>(&wizard, "fixPrice5"));

    std::optional<std::string> decoded;
    std::string shownEnvelope;
    QString title;
    int shown = 0;
    const auto readCode = [&](QWidget* modal) {
        auto* dialog = qobject_cast<MenuCodeDialog*>(modal);
        ++shown;
        title = modal->windowTitle();
        if (dialog) {
            decoded = decodeImage(dialog->symbol());
            shownEnvelope = dialog->envelope();
        }
        static_cast<QDialog*>(modal)->accept();
    };
    omni::test::onModalNamed(QStringLiteral("menuCodeDialog"), readCode);
    clickWizard(&wizard, QWizard::NextButton);
    QTRY_COMPARE_WITH_TIMEOUT(shown, 1, 10000);
    QCOMPARE(title, QStringLiteral("Reading Menu Code"));

    const std::string expected = ComposeStoreCommand(
        "\\SB978([0-9]{9})[0-9]$/\\SB192([0-9]{4})([0-9]{5})[0-9]$", "[0,1]\\-[1,1][1,2]", 3);
    QCOMPARE(wizard.command(), expected);
    QVERIFY(decoded.has_value());
    QCOMPARE(*decoded, envelopeOf(expected));
    QCOMPARE(shownEnvelope, *decoded);

    // Back and Next again composes afresh and shows it again.
    clickWizard(&wizard, QWizard::BackButton);
    omni::test::onModalNamed(QStringLiteral("menuCodeDialog"), readCode);
    clickWizard(&wizard, QWizard::NextButton);
    QTRY_COMPARE_WITH_TIMEOUT(shown, 2, 10000);

    QVERIFY(offered(&wizard, QWizard::FinishButton));
    clickWizard(&wizard, QWizard::FinishButton);
    QVERIFY(wizard.handedPage().has_value());
    QCOMPARE(wizard.handedPage()->command, expected);
    QCOMPARE(wizard.handedPage()->label, QStringLiteral("Input command by data edit programming"));
    QCOMPARE(CurrentProgram(), 3);
}

void WizardPagesTest::freeLineOcrComposesItsBoxes() {
    WizardLink link(nullptr);
    {
        OcrDialog dialog(link);
        QVERIFY(shown(&dialog));
        QVERIFY(child<QComboBox>(&dialog, "line1Position5")->isEnabled());
        QVERIFY(!child<QComboBox>(&dialog, "line1Position6")->isEnabled());
        QVERIFY(!child<QComboBox>(&dialog, "line2Digits")->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
        QVERIFY(dialog.handedPage().has_value());
        QCOMPARE(dialog.handedPage()->command,
                 std::string("[ED0'(?:[0-9]<..>){5}$'[ED1'[0]\\x0D'[ED2Q1[DKF[DKIQ5[DLTQ0"));
        QCOMPARE(dialog.handedPage()->label,
                 QStringLiteral("Command input by FreeLineOCR setting"));
    }
    {
        OcrDialog dialog(link);
        QVERIFY(shown(&dialog));
        auto* lines = child<QComboBox>(&dialog, "lineCount");
        lines->setFocus();
        QTest::keyClick(lines, Qt::Key_Down);
        QVERIFY(child<QComboBox>(&dialog, "line2Position1")->isEnabled());
        auto* digits1 = child<QComboBox>(&dialog, "line1Digits");
        digits1->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(digits1, Qt::Key_Down);  // 8 digits
        click(child<QAbstractButton>(&dialog, "line2AllAlphanumeric"));
        auto* digits2 = child<QComboBox>(&dialog, "line2Digits");
        digits2->setFocus();
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(digits2, Qt::Key_Down);  // 12 digits
        const OcrSetting setting = dialog.setting();
        const ScriptPair scripts = BuildOcrScripts(setting);
        QCOMPARE(scripts.cut, std::string("(?:[0-9]<..>){8}$/(?:<..>[0-9A-Z]){12}$"));
        QCOMPARE(scripts.paste, std::string("[0]\\x0D[1]\\x0D"));
        QVERIFY(ComposeOcrCommand(setting).find("[DKIQ8[DLT") != std::string::npos);
        // Back to one string: the second line leaves both scripts.
        lines->setFocus();
        QTest::keyClick(lines, Qt::Key_Up);
        QVERIFY(!child<QComboBox>(&dialog, "line2Position1")->isEnabled());
        QCOMPARE(BuildOcrScripts(dialog.setting()).cut, std::string("(?:[0-9]<..>){8}$"));
        dialog.reject();
        QVERIFY(!dialog.handedPage().has_value());
    }
}

void WizardPagesTest::gs1UserSettingsHeadersOptionsAndSaving() {
    std::vector<omni::ui::ShownMessage> messages;
    const omni::ui::MessageSink previous =
        omni::ui::setMessageSink([&](const omni::ui::ShownMessage& m) { messages.push_back(m); });
    const auto restore = qScopeGuard([&] { omni::ui::setMessageSink(previous); });
    std::vector<std::pair<QString, std::string>> codes;
    std::function<void(QWidget*)> takeCode = [&](QWidget* modal) {
        auto* dialog = static_cast<MenuCodeDialog*>(modal);
        codes.emplace_back(dialog->windowTitle(), dialog->envelope());
        dialog->accept();
        omni::test::onModalNamed(QStringLiteral("menuCodeDialog"), takeCode);
    };
    omni::test::onModalNamed(QStringLiteral("menuCodeDialog"), takeCode);

    WizardLink link(nullptr);
    GS1Wizard wizard(link);
    QVERIFY(shown(&wizard));
    QTRY_COMPARE(codes.size(), std::size_t{1});  // "Prepare to use tool"
    GS1StartPage* start = wizard.startPage();
    QVERIFY(!start->outputButton()->isEnabled());
    // A reader in ACK mode acknowledges the start program: nothing to show or take yet.
    emit link.received(QStringLiteral("\x06"));
    QVERIFY(start->sampleBox()->toPlainText().isEmpty());
    QVERIFY(!start->outputButton()->isEnabled());
    // What a reader with the start program sends: variable fields ended by a space.
    const std::string sample = "010491234567890410ABC123 3103000150";
    emit link.received(QString::fromLatin1(sample.c_str()) + QLatin1Char('\r') + QChar(0x06));
    QVERIFY(start->outputButton()->isEnabled());
    click(start->outputButton());
    start->selectForm(GS1Form::User);
    QVERIFY(offered(&wizard, QWizard::NextButton));
    clickWizard(&wizard, QWizard::NextButton);

    QTreeWidget* rows = wizard.userPage()->rowList();
    QPlainTextEdit* preview = wizard.userPage()->previewBox();
    QCOMPARE(preview->toPlainText(), QStringLiteral("010491234567890410ABC1233103000150"));
    // Without a selected row the header dialog is not opened.
    rows->clearSelection();
    click(wizard.findChild<QAbstractButton*>(QStringLiteral("headerTerminator")));
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, QStringLiteral("Select a list that contains the data."));

    // Header 2 alone is ignored; with header 1 both are output.
    const auto setHeaders = [&](int header1, int header2) {
        omni::test::onModalNamed(QStringLiteral("gs1HeaderDialog"), [=](QWidget* modal) {
            modal->findChild<QComboBox*>(QStringLiteral("header1"))->setCurrentIndex(header1);
            modal->findChild<QComboBox*>(QStringLiteral("header2"))->setCurrentIndex(header2);
            QTest::keyClick(modal, Qt::Key_Return);
        });
        const QPoint second = rows->visualItemRect(rows->topLevelItem(1)).center();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, second);
    };
    const int open = omni::dataedit::CharRowOfName("[");
    const int close = omni::dataedit::CharRowOfName("]");
    setHeaders(0, close);
    QTRY_COMPARE(preview->toPlainText(), QStringLiteral("010491234567890410ABC1233103000150"));
    setHeaders(open, close);
    QTRY_COMPARE(preview->toPlainText(), QStringLiteral("010491234567890410[]ABC1233103000150"));

    // The option sheet: a separator between the data.
    omni::test::onModalNamed(QStringLiteral("gs1OptionSheet"), [=](QWidget* modal) {
        click(modal->findChild<QCheckBox*>(QStringLiteral("between")));
        modal->findChild<QComboBox*>(QStringLiteral("s1"))
            ->setCurrentIndex(omni::dataedit::CharRowOfName("/"));
        QTest::keyClick(modal, Qt::Key_Return);
    });
    click(wizard.findChild<QAbstractButton*>(QStringLiteral("parameterSetting")));
    QTRY_COMPARE(preview->toPlainText(), QStringLiteral("0104912345678904/10[]ABC123/3103000150"));

    // Finish without a reader shows "Save Setting" with the command as it stands.
    clickWizard(&wizard, QWizard::FinishButton);
    QTRY_COMPARE(codes.size(), std::size_t{2});
    QCOMPARE(codes[1].first, QStringLiteral("Save Setting"));
    QVERIFY(wizard.command().ends_with("[ED2Q4"));
    QCOMPARE(codes[1].second, envelopeOf(wizard.command()));
    QVERIFY(wizard.handedPage().has_value());
    QCOMPARE(wizard.handedPage()->label, QStringLiteral("Input command by GS1 Edit"));
    QVERIFY(wizard.handedPage()->command.find("<\\A10>") != std::string::npos);

    // A ready form's command shown as a code ends in "RZ1M".
    GS1Wizard ready(link);
    QVERIFY(shown(&ready));
    QTRY_COMPARE(codes.size(), std::size_t{3});
    emit link.received(QString::fromLatin1(sample.c_str()) + QLatin1Char('\r'));
    click(ready.startPage()->outputButton());
    QVERIFY(offered(&ready, QWizard::FinishButton));
    clickWizard(&ready, QWizard::FinishButton);
    QTRY_COMPARE(codes.size(), std::size_t{4});
    QVERIFY(ready.command().ends_with("[ED2Q4RZ1M"));
}

QTEST_MAIN(WizardPagesTest)
#include "wizard_pages_test.moc"
