// The communication log pane and the code-page box on the offscreen platform: the two views,
// the stored properties, text arriving through the log chain, printing, the stored code page.
#include <QFontDatabase>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include "foundation/settings_store.h"
#include "serial/gui/code_page_combo_box.h"
#include "serial/gui/log_property.h"
#include "serial/gui/serial_log_box.h"
#include "stream/log_chain.h"

using omni::serial::SerialLogBox;
using omni::serial::SerialLogProperty;

namespace {

std::string keyFor(const char* name) {
    return std::string("Software\\Kestrel\\LogTest-") + name;
}

void feed(SerialLogBox& box, std::string_view bytes) {
    box.chain().feed(bytes.data(), bytes.size());
}

// The text of a PDF as pdftotext lays it out, and its page count.
QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString& path) {
    return static_cast<int>(pdfText(path).count(QLatin1Char('\f')));
}

}  // namespace

class ConnectionLogTest : public QObject {
    Q_OBJECT
private slots:
    void defaultRecordNamesTheFixedFontAndNoWrap();
    void wrapSwitchKeepsTextAndPutsTheCaretAtTheEnd();
    void fontAndWrapSurviveARestart();
    void invalidRecordGivesTheDefaults();
    void receivedTextArrivesInFewBatches();
    void logKeepsItsNewestLinesAndABoundedBacklog();
    void printingWrapsLongLinesAndBreaksPages();
    void savedLogReadsBackTheSame();
    void codePageChoiceIsStoredAndAMissingOneFallsBack();
};

void ConnectionLogTest::defaultRecordNamesTheFixedFontAndNoWrap() {
    const SerialLogProperty defaults;
    QCOMPARE(defaults.font.height, 18);
    QCOMPARE(defaults.font.weight, 400);
    QCOMPARE(int(defaults.font.quality), 2);
    QCOMPARE(int(defaults.font.pitchAndFamily), 17);
    QCOMPARE(QString::fromUtf16(defaults.font.faceName), QStringLiteral("FixedSys"));
    SerialLogBox box(keyFor("defaults"));
    QVERIFY(!box.wrap());
    QCOMPARE(box.visibleEdit(), box.edit(false));
    // "FixedSys" stands for the system's fixed-pitch font.
    QCOMPARE(box.logFont().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    QVERIFY(box.logFont().pixelSize() > 8);
}

void ConnectionLogTest::wrapSwitchKeepsTextAndPutsTheCaretAtTheEnd() {
    SerialLogBox box(keyFor("wrap"));
    box.resize(300, 200);
    box.show();
    QString expected;
    for (int i = 0; i < 200; ++i) {
        const QString line = QStringLiteral("line %1 ").arg(i) + QString(60, QLatin1Char('x'));
        feed(box, (line + QStringLiteral("\r\n")).toStdString());
        expected += line + QLatin1Char('\n');
    }
    QTRY_COMPARE_WITH_TIMEOUT(box.text(), expected, 5000);

    for (bool wrap : {true, false, true}) {
        box.setWrap(wrap);
        QCOMPARE(box.wrap(), wrap);
        QCOMPARE(box.visibleEdit(), box.edit(wrap));
        QVERIFY(box.visibleEdit()->isVisible());
        QVERIFY(!box.edit(!wrap)->isVisible());
        QCOMPARE(box.text(), expected);
        QCOMPARE(box.visibleEdit()->textCursor().position(), expected.size());
        QScrollBar* bar = box.visibleEdit()->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
    }
    // Text keeps arriving in the view that is shown.
    feed(box, "after\r");
    QTRY_VERIFY_WITH_TIMEOUT(box.text().endsWith(QStringLiteral("after\n")), 5000);
}

void ConnectionLogTest::fontAndWrapSurviveARestart() {
    const std::string key = keyFor("restart");
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPixelSize(21);
    chosen.setBold(true);
    {
        SerialLogBox box(key);
        box.setWrap(true);
        box.setLogFont(chosen);
        QCOMPARE(box.edit(false)->font().family(), box.logFont().family());
        QCOMPARE(box.edit(true)->font().pixelSize(), 21);
    }
    SerialLogProperty stored;
    QVERIFY(omni::foundation::readSetting(key, "SerialLogProperty", stored));
    QCOMPARE(stored.marker, 0u);
    QCOMPARE(stored.wrap, 1u);
    QCOMPARE(stored.font.height, -21);
    QCOMPARE(stored.font.weight, 700);
    QCOMPARE(QString::fromUtf16(stored.font.faceName), QStringLiteral("DejaVu Sans"));

    SerialLogBox again(key);
    QVERIFY(again.wrap());
    QCOMPARE(again.logFont().family(), chosen.family());
    QCOMPARE(again.logFont().pixelSize(), 21);
    QVERIFY(again.logFont().bold());
}

void ConnectionLogTest::invalidRecordGivesTheDefaults() {
    const std::string key = keyFor("invalid");
    SerialLogProperty bad;
    bad.marker = 7;
    bad.wrap = 1;
    omni::foundation::writeSetting(key, "SerialLogProperty", bad);
    QVERIFY(!SerialLogBox(key).wrap());
    const char shortRecord[10] = {};
    omni::foundation::writeSetting(key, "SerialLogProperty", shortRecord, sizeof shortRecord);
    QVERIFY(!SerialLogBox(key).wrap());
}

void ConnectionLogTest::receivedTextArrivesInFewBatches() {
    SerialLogBox box(keyFor("batches"));
    QSignalSpy delivered(&box, &SerialLogBox::textDelivered);
    constexpr int kBlocks = 2000;
    std::thread receiver([&box] {
        for (int i = 0; i < kBlocks; ++i) {
            const std::string block = "row " + std::to_string(i) + "\r\n";
            box.chain().feed(block.data(), block.size());
        }
    });
    receiver.join();
    QTRY_VERIFY_WITH_TIMEOUT(box.text().endsWith(QStringLiteral("row 1999\n")), 10000);
    QVERIFY(box.text().startsWith(QStringLiteral("row 0\nrow 1\n")));
    QCOMPARE(box.text().count(QLatin1Char('\n')), kBlocks);
    // Many blocks per insertion, not one event per block.
    QVERIFY2(delivered.count() < kBlocks / 10, qPrintable(QString::number(delivered.count())));
}

void ConnectionLogTest::logKeepsItsNewestLinesAndABoundedBacklog() {
    SerialLogBox box(keyFor("bounded"));
    QCOMPARE(box.maxLines(), SerialLogBox::kDefaultMaxLines);
    box.setMaxLines(100);
    for (int i = 0; i < 250; ++i)
        feed(box, "row " + std::to_string(i) + "\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(box.text().endsWith(QStringLiteral("row 249\n")), 10000);
    QVERIFY(box.text().count(QLatin1Char('\n')) < 100);
    QVERIFY(!box.text().contains(QStringLiteral("row 0\n")));
    box.setWrap(!box.wrap());  // the other view keeps the same bound
    QVERIFY(box.text().count(QLatin1Char('\n')) < 100);
    box.setWrap(!box.wrap());

    // A backlog the busy user-interface thread has not taken yet keeps only its newest part.
    const std::string line(62, 'x');
    std::string block;
    while (block.size() < 1024 * 1024)
        block += line + "\r\n";
    for (int i = 0; i < 12; ++i)
        feed(box, block);
    feed(box, "last\r\n");
    QVERIFY(box.chain().drain(20000));
    QVERIFY2(box.pendingSize() <= SerialLogBox::kMaxPending,
             qPrintable(QString::number(box.pendingSize())));
    QTRY_VERIFY_WITH_TIMEOUT(box.text().endsWith(QStringLiteral("last\n")), 20000);
}

void ConnectionLogTest::printingWrapsLongLinesAndBreaksPages() {
    QTemporaryDir dir;
    SerialLogBox box(keyFor("print"));
    const QString longLine =
        QStringLiteral("LONG") + QString(400, QLatin1Char('W')) + QStringLiteral("END");
    QString text = longLine + QLatin1Char('\n');
    for (int i = 0; i < 120; ++i)
        text += QStringLiteral("entry %1\n").arg(i, 3, 10, QLatin1Char('0'));
    box.appendText(text);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    const QString path = dir.filePath(QStringLiteral("log.pdf"));
    printer.setOutputFileName(path);
    box.printTo(printer);

    const QString printed = pdfText(path);
    // 4 mm lines on a page 257 mm high hold about 50 lines: 121 lines need three pages.
    QCOMPARE(pdfPages(path), 3);
    const QStringList lines = printed.split(QLatin1Char('\n'));
    int longRows = 0;
    for (const QString& line : lines) {
        if (line.contains(QStringLiteral("WWWW")))
            ++longRows;
    }
    QVERIFY2(longRows >= 2, qPrintable(printed.left(2000)));
    QVERIFY(printed.contains(QStringLiteral("END")));
    for (int i : {0, 60, 119})
        QVERIFY(printed.contains(QStringLiteral("entry %1").arg(i, 3, 10, QLatin1Char('0'))));
    // No line is cut by a page break: each page ends with a whole entry.
    const QStringList pages = printed.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    for (const QString& page : pages) {
        const QString last = page.trimmed().section(QLatin1Char('\n'), -1).trimmed();
        QVERIFY2(last.startsWith(QStringLiteral("entry")) && last.size() == 9, qPrintable(last));
    }
}

void ConnectionLogTest::savedLogReadsBackTheSame() {
    QTemporaryDir dir;
    SerialLogBox box(keyFor("save"));
    feed(box, "first\rsecond\n");
    QTRY_COMPARE_WITH_TIMEOUT(box.text(), QStringLiteral("first\nsecond\n"), 5000);
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    box.saveTo(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("first\nsecond\n"));

    SerialLogBox reopened(keyFor("save2"));
    reopened.appendFile(path);
    QCOMPARE(reopened.text(), box.text());
}

void ConnectionLogTest::codePageChoiceIsStoredAndAMissingOneFallsBack() {
    using omni::serial::CodePageComboBox;
    {
        CodePageComboBox box;
        const int index = box.findData(QVariant::fromValue<quint32>(932));
        QVERIFY(index > 0);
        box.setCurrentIndex(index);
        QCOMPARE(omni::stream::currentCodePageSetting().codePage, 932u);
        QVERIFY(omni::stream::currentCodePageSetting().multiByte);
    }
    QCOMPARE(omni::serial::loadCodePageProperty().codePage, 932u);
    {
        CodePageComboBox box;
        QCOMPARE(box.currentData().toUInt(), 932u);
        box.selectCodePage(omni::stream::kHexCodePage);
        QCOMPARE(box.currentText(), QStringLiteral("Binary Data"));
        QVERIFY(!omni::stream::currentCodePageSetting().multiByte);
    }
    // A code page this system does not have: "Default character code", first in the list.
    omni::serial::storeCodePageProperty({0, 54321});
    CodePageComboBox box;
    QCOMPARE(box.currentIndex(), 0);
    // The entry says which encoding it currently means.
    QCOMPARE(box.currentText(),
             QStringLiteral("Default character code (%1)")
                 .arg(QString::fromStdU16String(CodePageComboBox::defaultEncodingLabel())));
    qputenv("LC_ALL", "C");
    QCOMPARE(CodePageComboBox::defaultEncodingLabel(), std::u16string(u"Windows-1252"));
    qunsetenv("LC_ALL");
}

QTEST_MAIN(ConnectionLogTest)
#include "connection_log_test.moc"
