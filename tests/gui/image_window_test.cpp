// Image pages in the main window against the simulated 2D reader: a shot into a new page soon
// after the transfer ends, saved as a bitmap and opened again; Cancel during a slow transfer;
// the output settings dialog writing what was chosen and a reader whose settings reply is
// garbage; a picture sent for the decoding test; pages opened, saved, copied, pasted and
// deleted without a reader; and which imaging commands each connection state allows.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "../dialogs/modal.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "foundation/exception.h"
#include "image/gui/image_output_dialog.h"
#include "image/gui/image_static.h"
#include "image/gui/shoot_dialog.h"
#include "image/picture_files.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "sim/capture_responder.h"
#include "sim/simulated_reader.h"
#include "ui/gui/report.h"
#include "window_helpers.h"

using omni::app::MainWindow;
using omni::commands::PageKind;
using omni::serial::SimulatedFamily;
using omni::serial::SimulatedReaders;

namespace {

bool showActive(MainWindow& window) {
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

bool connectTo(MainWindow& window, SimulatedFamily family) {
    window.portBox()->choosePort(SimulatedReaders::descriptor(family));
    QTest::keyClick(&window, Qt::Key_F2);
    return QTest::qWaitFor([&] { return window.connected(); }, 15000);
}

// Shows the window and connects it to the simulated 2D reader.
bool showConnected(MainWindow& window) {
    return showActive(window) && connectTo(window, SimulatedFamily::TwoD);
}

// Gives the window's simulated 2D reader the imaging engine's behaviours.
omni::sim::ImagingResponders addImaging(MainWindow& window) {
    return omni::sim::addImagingResponders(
        *window.simulatedReaders().reader(SimulatedFamily::TwoD));
}

// The picture of the current page as the view shows it at 1:1.
QImage currentPicture(MainWindow& window) {
    const auto picture = window.pageTabs()->imageAt(window.pageTabs()->currentIndex());
    return picture ? omni::image::toQImage(*picture) : QImage();
}

using omni::test::Messages;

// A plain picture of one colour, saved as a bitmap file in `dir`.
struct PictureFile {
    QImage image;
    QString path;
};
PictureFile pictureFile(const QTemporaryDir& dir, const QString& name, QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    omni::image::savePicture(*omni::image::fromQImage(image), path.toStdString());
    return {image, path};
}

// Answers the next file dialog with `path`.
void answerFileDialog(const QString& path) {
    omni::test::onNextModal([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        omni::test::answerFileDialog(*dialog, path);
    });
}

// Answers the next "not saved" question with `button`, noting its text in `asked`; `then`
// runs just before the click (to answer what the button opens).
void answerUnsavedQuestion(QMessageBox::StandardButton button, QString* asked = nullptr,
                           std::function<void()> then = {}) {
    omni::test::onNextModal([button, asked, then](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->objectName(), QStringLiteral("unsavedPageQuestion"));
        if (asked)
            *asked = box->text();
        if (then)
            then();
        box->button(button)->click();
    });
}

}  // namespace

class ImageWindowTest : public QObject {
    Q_OBJECT
private slots:
    void shotShowsOnANewPageAndSurvivesSavingAsBitmap();
    void cancelDuringASlowTransferLeavesNoPage();
    void outputSettingsAreReadAndWritten();
    void pictureIsSentForTheDecodingTest();
    void pagesOpenSaveCopyPasteAndDeleteWithoutAReader();
    void unsavedPicturesAreNotClosedWithoutAsking();
    void imagingCommandsFollowTheConnection();
};

void ImageWindowTest::shotShowsOnANewPageAndSurvivesSavingAsBitmap() {
    QTemporaryDir dir;
    MainWindow window(omni::test::freshKey("ImageTest", "shot"));
    QVERIFY(showConnected(window));
    // A transfer of some tenths of a second: long enough that the dialog runs and shows it on
    // any machine, however fast.
    addImaging(window).capture->setLineRate(1500000);

    // When the transfer bar fills, and when the page appears.
    QElapsedTimer clock;
    clock.start();
    qint64 transferEnd = -1;
    qint64 pageShown = -1;
    omni::test::onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<omni::image::ShootDialog*>(modal);
        QVERIFY(dialog);
        QVERIFY(!dialog->triggerBar()->isVisible());  // a plain shot waits for no trigger
        QObject::connect(dialog->transferBar(), &QProgressBar::valueChanged, dialog, [&, dialog] {
            QProgressBar* bar = dialog->transferBar();
            if (bar->maximum() > 1 && bar->value() == bar->maximum())
                transferEnd = clock.elapsed();
        });
    });
    QObject::connect(window.pageTabs(), &QTabBar::currentChanged, &window, [&] {
        if (pageShown < 0 && window.pageTabs()->currentKind() == PageKind::Image)
            pageShown = clock.elapsed();
    });
    QTest::keyClick(&window, Qt::Key_F11);
    QTRY_VERIFY_WITH_TIMEOUT(pageShown >= 0, 10000);
    QVERIFY(transferEnd >= 0);
    QVERIFY2(pageShown - transferEnd < 1000, qPrintable(QString::number(pageShown - transferEnd)));

    QCOMPARE(window.pageTabs()->tabText(1),
             window.pageTabs()->tabText(window.pageTabs()->currentIndex()));
    QVERIFY(window.pageTabs()->tabText(1).startsWith(QStringLiteral("NewImage ")));
    QCOMPARE(window.imageView()->image(), window.pageTabs()->imageAt(1));
    const QImage shot = currentPicture(window);
    QCOMPARE(shot.size(), QSize(640, 480));

    // Save (asks for a name, the page has none), then open the file again.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const QString path = dir.filePath(QStringLiteral("shot.bmp"));
    answerFileDialog(path);
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(window.pageTabs()->fileName(1), path);
    window.openFile(path);
    QCOMPARE(window.pageTabs()->count(), 3);
    QCOMPARE(currentPicture(window), shot);
    QCOMPARE(window.imageView()->image(), window.pageTabs()->imageAt(1));
}

void ImageWindowTest::cancelDuringASlowTransferLeavesNoPage() {
    MainWindow window(omni::test::freshKey("ImageTest", "cancel"));
    QVERIFY(showConnected(window));
    omni::sim::CaptureResponder* capture = addImaging(window).capture;
    capture->setLineRate(20000);  // some fifteen seconds for the whole picture

    QElapsedTimer clock;
    qint64 clicked = -1;
    omni::test::onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<omni::image::ShootDialog*>(modal);
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitFor([&] { return dialog->transferBar()->value() > 2; }, 10000));
        clock.start();
        clicked = 0;
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    QTest::keyClick(&window, Qt::Key_F11);
    QTRY_VERIFY_WITH_TIMEOUT(clicked == 0 && !QApplication::activeModalWidget(), 20000);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(window.pageTabs()->count(), 1);
    QVERIFY(capture->waitForShots(1, std::chrono::seconds(5)));
    QCOMPARE(capture->outcome().ended, std::string("cancelled"));

    // The log receives again: a version request is answered into it.
    window.commandBox()->setText(QStringLiteral("Z1"));
    window.commandBox()->submit();
    QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().contains(QStringLiteral("BA12J13i")), 5000);
    QVERIFY(window.actions().autoShoot->isEnabled());

    // The engine reports an error instead of a picture: said in a message, still no page.
    Messages messages;
    capture->setLineRate(0);
    capture->setErrorReport(2);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F11);
    QTRY_COMPARE_WITH_TIMEOUT(messages.shown.size(), std::size_t(1), 10000);
    QVERIFY(messages.shown[0].text.startsWith(QStringLiteral("The picture could not be taken")));
    QCOMPARE(window.pageTabs()->count(), 1);
}

void ImageWindowTest::outputSettingsAreReadAndWritten() {
    MainWindow window(omni::test::freshKey("ImageTest", "settings"));
    QVERIFY(showConnected(window));
    omni::sim::CaptureResponder* capture = addImaging(window).capture;
    omni::sim::OutputSettings settings;
    settings.trim[0] = 12;
    capture->setSettings(settings);

    omni::test::onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<omni::image::ImageOutputDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->trim(0)->value(), 12);  // read when it opened
        QCOMPARE(dialog->bitsBox()->currentText(), QStringLiteral("8 bits"));
        dialog->bitsBox()->setCurrentIndex(dialog->bitsBox()->findText(QStringLiteral("4 bits")));
        dialog->formatBox()->setCurrentIndex(dialog->formatBox()->findText(QStringLiteral("JPEG")));
        QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    window.actions().imageOutputProperty->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(capture->settings().bits, 4, 5000);
    QCOMPARE(capture->settings().format, 1);
    QCOMPARE(capture->settings().trim[0], 12);

    // A reply the program cannot read: a message, no dialog, and the commands stay usable.
    Messages messages;
    capture->setSettingsReply("garbage");
    window.actions().imageOutputProperty->trigger();
    QCOMPARE(messages.shown.size(), std::size_t(1));
    QVERIFY(messages.shown[0].text.startsWith(
        QStringLiteral("The image output settings could not be read or written")));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window.actions().imageOutputProperty->isEnabled());
}

void ImageWindowTest::pictureIsSentForTheDecodingTest() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grey.bmp"));
    QImage grey(40, 30, QImage::Format_RGB32);
    grey.fill(qRgb(90, 90, 90));
    omni::image::savePicture(*omni::image::fromQImage(grey), path.toStdString());

    MainWindow window(omni::test::freshKey("ImageTest", "send"));
    QVERIFY(showConnected(window));
    omni::sim::PictureResponder* picture = addImaging(window).picture;

    answerFileDialog(path);
    window.actions().sendImage->trigger();
    const omni::sim::PictureResponder::Received received = picture->received();
    QVERIFY(received.complete);
    QCOMPARE(received.width, 40);
    QCOMPARE(received.lines, 30);
    QCOMPARE(received.pixels, std::string(40 * 30, char(90)));
    QCOMPARE(window.pageTabs()->currentKind(), PageKind::Image);
    // What the reader decoded arrives in the log.
    QTRY_VERIFY_WITH_TIMEOUT(
        window.logPage()->text().contains(QStringLiteral("SIMULATED DECODE OK")), 5000);

    // The picture of the current page, from the view's context menu.
    QVERIFY(
        window.imageView()->contextMenu()->actions().contains(window.actions().sendCurrentImage));
    picture->setDecodeResult("SECOND DECODE");
    window.actions().sendCurrentImage->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().contains(QStringLiteral("SECOND DECODE")),
                             5000);
}

void ImageWindowTest::pagesOpenSaveCopyPasteAndDeleteWithoutAReader() {
    QTemporaryDir dir;
    const auto [colours, bmp] =
        pictureFile(dir, QStringLiteral("red.bmp"), QSize(50, 20), qRgb(200, 40, 10));

    MainWindow window(omni::test::freshKey("ImageTest", "pages"));
    QVERIFY(showActive(window));
    window.openFile(bmp);
    QCOMPARE(window.pageTabs()->currentKind(), PageKind::Image);
    QCOMPARE(currentPicture(window), colours);

    // Saved as JPEG by the name's extension; that JPEG opened and saved again keeps its bytes.
    const QString jpeg = dir.filePath(QStringLiteral("red.JPG"));
    window.saveCurrentTo(jpeg);
    QFile first(jpeg);
    QVERIFY(first.open(QIODevice::ReadOnly));
    const QByteArray bytes = first.readAll();
    QVERIFY(bytes.startsWith("\xff\xd8"));
    window.openFile(jpeg);
    QVERIFY(std::abs(qRed(currentPicture(window).pixel(25, 10)) - 200) < 12);
    const QString again = dir.filePath(QStringLiteral("again.jpeg"));
    window.saveCurrentTo(again);
    QFile second(again);
    QVERIFY(second.open(QIODevice::ReadOnly));
    QCOMPARE(second.readAll(), bytes);

    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Copy, then Paste makes a "Clipboard" page with the same picture; Delete closes it.
    window.openFile(bmp);
    window.imageView()->setFocus();
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(window.pageTabs()
                ->tabText(window.pageTabs()->currentIndex())
                .startsWith(QStringLiteral("Clipboard ")));
    QCOMPARE(currentPicture(window), colours);
    const int pages = window.pageTabs()->count();
    answerUnsavedQuestion(QMessageBox::Discard);
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(window.pageTabs()->count(), pages - 1);
    QVERIFY(omni::test::reactivate(window));
    window.imageView()->setFocus();

    // Cut empties the page; saving an empty page says so and writes nothing.
    QTest::keyClick(&window, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(!window.imageView()->hasImage());
    QVERIFY(!window.pageTabs()->imageAt(window.pageTabs()->currentIndex()));
    Messages messages;
    QVERIFY_THROWS_EXCEPTION(omni::foundation::UserException,
                             window.saveCurrentTo(dir.filePath(QStringLiteral("empty.bmp"))));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("empty.bmp"))));

    // A file that is not a picture: a message, no page.
    const QString bad = dir.filePath(QStringLiteral("bad.jpg"));
    QFile junk(bad);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    const int before = window.pageTabs()->count();
    answerFileDialog(bad);
    window.actions().open->trigger();
    QCOMPARE(window.pageTabs()->count(), before);
    QVERIFY(!messages.shown.empty());

    // Print: the picture on one page of a PDF.
    window.openFile(bmp);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    window.printCurrent(printer);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("page.pdf"))).size() > 500);
    QCOMPARE(printer.docName(), QStringLiteral("CaptureImage"));

    // New closes every image page.
    window.newDocument();
    QCOMPARE(window.pageTabs()->count(), 1);
}

void ImageWindowTest::unsavedPicturesAreNotClosedWithoutAsking() {
    MainWindow window(omni::test::freshKey("ImageTest", "unsaved"));
    QVERIFY(showActive(window));
    omni::commands::PageTabs& tabs = *window.pageTabs();
    QTemporaryDir dir;
    const auto [blue, bmp] =
        pictureFile(dir, QStringLiteral("blue.bmp"), QSize(30, 20), qRgb(10, 40, 200));
    // The operator clicks the picture, then uses the keys; a question leaves the window active.
    const auto deleteKey = [&] {
        QVERIFY(omni::test::reactivate(window));
        window.imageView()->setFocus();
        QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    };
    const auto pasteAPage = [&] {
        QVERIFY(omni::test::reactivate(window));
        QApplication::clipboard()->setImage(blue);
        window.imageView()->setFocus();
        QTest::keyClick(&window, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(tabs.tabText(tabs.currentIndex()).startsWith(QStringLiteral("Clipboard ")));
    };

    // A picture opened from its file goes without a question.
    window.openFile(bmp);
    deleteKey();
    QCOMPARE(tabs.count(), 1);

    // A pasted picture is asked about, by its page's name: Cancel keeps it, from Delete, from
    // the tab's close button and from New.
    pasteAPage();
    const QString title = tabs.tabText(1);
    QString asked;
    answerUnsavedQuestion(QMessageBox::Cancel, &asked);
    deleteKey();
    QCOMPARE(tabs.count(), 2);
    QVERIFY(asked.contains(title));
    QVERIFY(!asked.contains(QStringLiteral("menu-code")));
    answerUnsavedQuestion(QMessageBox::Cancel);
    QTest::mouseClick(tabs.tabButton(1, QTabBar::RightSide), Qt::LeftButton);
    QCOMPARE(tabs.count(), 2);
    answerUnsavedQuestion(QMessageBox::Cancel);
    QVERIFY(omni::test::reactivate(window));
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(tabs.count(), 2);
    QVERIFY(window.imageView()->hasImage());

    // Save writes the picture and then lets the page go; once saved, no question.
    const QString kept = dir.filePath(QStringLiteral("kept.bmp"));
    answerUnsavedQuestion(QMessageBox::Save, nullptr, [kept] { answerFileDialog(kept); });
    deleteKey();
    QTRY_COMPARE(tabs.count(), 1);
    QCOMPARE(omni::image::toQImage(*omni::image::loadPicture(kept.toStdString())), blue);
    pasteAPage();
    window.saveCurrentTo(dir.filePath(QStringLiteral("second.bmp")));
    QTest::mouseClick(tabs.tabButton(1, QTabBar::RightSide), Qt::LeftButton);
    QCOMPARE(tabs.count(), 1);

    // A picture pasted over a saved page is a change again.
    window.openFile(bmp);
    QApplication::clipboard()->setImage(blue.mirrored());
    window.imageView()->paste();
    QVERIFY(tabs.isModified(1));
}

void ImageWindowTest::imagingCommandsFollowTheConnection() {
    MainWindow window(omni::test::freshKey("ImageTest", "rules"));
    QVERIFY(showActive(window));
    const auto imaging = [&] {
        const auto& a = window.actions();
        return std::vector<QAction*>{
            a.autoShoot,         a.triggerShootDown,    a.triggerShootUp, a.triggerShootTwice,
            a.shootInBackground, a.imageOutputProperty, a.sendImage};
    };
    for (QAction* a : imaging())
        QVERIFY(!a->isEnabled());
    QVERIFY(connectTo(window, SimulatedFamily::TwoD));
    for (QAction* a : imaging())
        QVERIFY(a->isEnabled());

    // The background shot: no dialog, the picture arrives on a page of its own.
    window.actions().shootInBackground->trigger();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!window.actions().autoShoot->isEnabled());
    QVERIFY(!window.actions().connectReader->isEnabled());  // the port is in use
    QTRY_COMPARE_WITH_TIMEOUT(window.pageTabs()->count(), 2, 10000);
    QVERIFY(!window.backgroundShotRunning());
    QCOMPARE(currentPicture(window).size(), QSize(640, 480));
    QVERIFY(window.actions().autoShoot->isEnabled());

    QTest::keyClick(&window, Qt::Key_F2);
    QVERIFY(QTest::qWaitFor([&] { return !window.connected(); }, 5000));
    QVERIFY(connectTo(window, SimulatedFamily::OneD));
    for (QAction* a : imaging())
        QVERIFY(!a->isEnabled());
}

QTEST_MAIN(ImageWindowTest)
#include "image_window_test.moc"
