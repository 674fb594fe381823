// The main window's imaging: the shoot commands (in a dialog, or in the background), the image
// output settings, sending a picture for the decoding test, and the image pages (open, save,
// print, copy, cut, paste, delete) with the picture view that shows the current one.
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/gui/main_window.h"
#include "commands/gui/page_tabs.h"
#include "foundation/exception.h"
#include "image/gui/image_output_dialog.h"
#include "image/gui/image_static.h"
#include "image/gui/image_strings.h"
#include "image/gui/shoot_dialog.h"
#include "image/picture_files.h"
#include "reader/capture/capture_failure.h"
#include "reader/capture/capture_worker.h"
#include "resources/string_ids.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "ui/gui/icons.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using commands::PageKind;
using commands::PageTabs;
using image::imageText;

constexpr int kTriggerWaitSeconds = 30;
constexpr int kBackgroundPollMs = 20;

bool isPictureFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("bmp") || suffix == QLatin1String("jpg") ||
           suffix == QLatin1String("jpeg") || suffix == QLatin1String("jpe") ||
           suffix == QLatin1String("jfif");
}

bool isJpegName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ||
           suffix == QLatin1String("jpe") || suffix == QLatin1String("jfif");
}

}  // namespace

// ---- set-up ----

void MainWindow::buildImagingActions() {
    const auto add = [this](QAction* MainWindowActions::*member, const char* name,
                            std::uint32_t textId, QKeySequence key) {
        auto* a = new QAction(imageText(textId), this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        actions_.*member = a;
        return a;
    };
    using T = reader::TriggerKind;
    connect(add(&MainWindowActions::autoShoot, "autoShoot", res::ids::ImageAutoShoot,
                QKeySequence(Qt::Key_F11)),
            &QAction::triggered, this, [this] { shootImage(T::Default); });
    connect(add(&MainWindowActions::triggerShootDown, "triggerShootDown",
                res::ids::ImageTriggerShootDown, {}),
            &QAction::triggered, this, [this] { shootImage(T::Down); });
    connect(add(&MainWindowActions::triggerShootUp, "triggerShootUp", res::ids::ImageTriggerShootUp,
                {}),
            &QAction::triggered, this, [this] { shootImage(T::Up); });
    connect(add(&MainWindowActions::triggerShootTwice, "triggerShootTwice",
                res::ids::ImageTriggerShootTwice, {}),
            &QAction::triggered, this, [this] { shootImage(T::Twice); });
    connect(add(&MainWindowActions::shootInBackground, "shootInBackground",
                res::ids::ImageShootBackground, {}),
            &QAction::triggered, this, &MainWindow::shootInBackground);
    connect(add(&MainWindowActions::imageOutputProperty, "imageOutputProperty",
                res::ids::ImageOutputProperty, {}),
            &QAction::triggered, this, &MainWindow::editImageOutputSettings);
    connect(add(&MainWindowActions::sendImage, "sendImage", res::ids::ImageSendForDecoding, {}),
            &QAction::triggered, this, &MainWindow::onSendImage);
    connect(add(&MainWindowActions::sendCurrentImage, "sendCurrentImage",
                res::ids::ImageSendThisPicture, {}),
            &QAction::triggered, this, &MainWindow::sendCurrentImageForDecoding);
    actions_.autoShoot->setIcon(ui::icon(ui::IconId::Camera));
    actions_.autoShoot->setIconText(imageText(res::ids::ImageToolShoot));
    actions_.autoShoot->setToolTip(imageText(res::ids::ImageToolShoot) + QStringLiteral(" (F11)"));
}

void MainWindow::buildImaging() {
    imageView_ = new image::ImageStatic(this);
    stack_->addWidget(imageView_);
    connect(imageView_, &image::ImageStatic::saveRequested, this, [this] { onSave(true); });
    connect(imageView_, &image::ImageStatic::deleteRequested, this, &MainWindow::deleteSelection);
    connect(imageView_, &image::ImageStatic::imageEdited, this,
            [this] { tabs_->setImageAt(tabs_->currentIndex(), imageView_->image()); });

    imageView_->contextMenu()->addSeparator();
    imageView_->contextMenu()->addAction(actions_.sendCurrentImage);

    // The scanner toolbar's shoot button drops down the other ways to take a picture.
    const MainWindowActions& a = actions_;
    auto* shootMenu = new QMenu(this);
    shootMenu->addActions({a.autoShoot, a.triggerShootDown, a.triggerShootUp, a.triggerShootTwice,
                           a.shootInBackground});
    scannerBar_->addAction(a.autoShoot);
    if (auto* button = qobject_cast<QToolButton*>(scannerBar_->widgetForAction(a.autoShoot))) {
        button->setMenu(shootMenu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    if (QMenu* scanner = menuBar()->findChild<QMenu*>(QStringLiteral("scannerMenu"))) {
        scanner->addSeparator();
        scanner->addActions({a.autoShoot, a.triggerShootDown, a.triggerShootUp, a.triggerShootTwice,
                             a.shootInBackground});
        scanner->addSeparator();
        scanner->addActions({a.imageOutputProperty, a.sendImage});
    }
    applyImagingState();
}

void MainWindow::applyImagingState() {
    const bool twoDReader = connected() && (!connection_->identified() || connection_->twoD());
    const bool usable = twoDReader && !imagingBusy_;
    for (QAction* action :
         {actions_.autoShoot, actions_.triggerShootDown, actions_.triggerShootUp,
          actions_.triggerShootTwice, actions_.shootInBackground, actions_.imageOutputProperty,
          actions_.sendImage, actions_.sendCurrentImage}) {
        if (action)
            action->setEnabled(usable);
    }
    // The port stays open while a shot runs in the background.
    actions_.connectReader->setEnabled(!imagingBusy_);
    // The module handle belongs to the port it was opened on; it goes with the connection.
    if (!connected() && !imagingBusy_)
        imagingModule_.reset();
}

reader::TwoDimensionModule& MainWindow::imagingModule() {
    if (!imagingModule_) {
        auto module =
            std::make_unique<reader::TwoDimensionModule>(connection_->serialPort(), &log_->chain());
        module->connect();
        imagingModule_ = std::move(module);
    }
    return *imagingModule_;
}

// Runs an imaging command with the actions disabled, reporting its failure in the user's words:
// `titleId` captions the message, `failedId` says what failed ("%1": the library's status).
void MainWindow::runImaging(std::uint32_t titleId, std::uint32_t failedId,
                            const std::function<void()>& command) {
    if (!connected() || imagingBusy_)
        return;
    imagingBusy_ = true;
    applyImagingState();
    try {
        command();
    } catch (const foundation::KesException& error) {
        switch (error.state()) {
            case KES_STATE_COMMUNICATION_TIMEOUT:
                ui::showMessage(this, QMessageBox::Warning, imageText(titleId),
                                imageText(res::ids::ShootNotAnswered));
                break;
            case KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE:
                ui::showMessage(this, QMessageBox::Warning, imageText(titleId),
                                imageText(res::ids::ShootNotSupported));
                break;
            default:
                ui::showMessage(this, QMessageBox::Warning, imageText(titleId),
                                imageText(failedId).arg(
                                    ui::toQString(reader::captureFailureReason(error.state()))));
        }
    } catch (const foundation::Exception& error) {
        ui::reportException(this, error);
    }
    imagingBusy_ = false;
    applyImagingState();
}

// ---- shooting ----

void MainWindow::showShotPicture(std::unique_ptr<image::ShotedImage> picture) {
    std::shared_ptr<const image::KesImage> shared(std::move(picture));
    // An empty image page that is current is filled; otherwise the picture gets a page of its own.
    const int current = tabs_->currentIndex();
    if (tabs_->currentKind() == PageKind::Image && !tabs_->imageAt(current)) {
        tabs_->setImageAt(current, shared);
    } else {
        tabs_->addImagePage(shared);
    }
    showCurrentPage();
}

void MainWindow::shootImage(reader::TriggerKind kind) {
    runImaging(res::ids::ShootTitle, res::ids::CaptureFailed, [&] {
        image::ShootDialog dialog(imagingModule(), this);
        std::unique_ptr<image::ShotedImage> picture = dialog.shoot(kind, kTriggerWaitSeconds);
        if (picture) {
            showShotPicture(std::move(picture));
        } else if (!dialog.cancelled()) {
            ui::showMessage(this, QMessageBox::Information, imageText(res::ids::ShootTitle),
                            imageText(res::ids::ShootNoPicture));
        }
    });
}

void MainWindow::shootInBackground() {
    if (!connected() || imagingBusy_)
        return;
    try {
        background_ = std::make_unique<reader::CaptureWorker>(imagingModule());
        background_->startShot(reader::TriggerKind::Default, kTriggerWaitSeconds, nullptr);
    } catch (const foundation::Exception& error) {
        background_.reset();
        ui::reportException(this, error);
        return;
    }
    imagingBusy_ = true;
    applyImagingState();
    statusBar()->showMessage(imageText(res::ids::ShootAsking));
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this, poll] {
        if (!background_->waitFor(0))
            return;
        poll->deleteLater();
        std::unique_ptr<reader::CaptureWorker> worker = std::move(background_);
        imagingBusy_ = false;
        statusBar()->clearMessage();
        try {
            if (std::unique_ptr<image::ShotedImage> picture = worker->finish())
                showShotPicture(std::move(picture));
        } catch (const foundation::Exception& error) {
            // Nobody waits for a background shot: its failure goes to the log.
            connection_->logMessage(ui::toQString(error.text()));
        }
        applyImagingState();
    });
    poll->start(kBackgroundPollMs);
}

void MainWindow::editImageOutputSettings() {
    runImaging(res::ids::OutputTitle, res::ids::SettingsFailed,
               [this] { image::editOutputSettings(imagingModule(), this); });
}

void MainWindow::onSendImage() {
    const QString path = QFileDialog::getOpenFileName(
        this, ui::uiText(res::ids::OpenTitle), QString(), imageText(res::ids::ImageSendFilter));
    if (!path.isEmpty())
        sendImageForDecoding(path);
}

void MainWindow::sendImageForDecoding(const QString& path) {
    std::shared_ptr<const image::KesImage> picture;
    try {
        picture = image::loadPicture(path.toStdString());
    } catch (const foundation::Exception& error) {
        ui::reportException(this, error);
        return;
    }
    const int index = tabs_->addImagePage(picture);
    tabs_->setFileName(index, path);
    tabs_->markSaved(index);
    showCurrentPage();
    runDecodingTest(*picture, QFileInfo(path).fileName());
}

void MainWindow::sendCurrentImageForDecoding() {
    const int index = tabs_->currentIndex();
    const std::shared_ptr<const image::KesImage> picture = tabs_->imageAt(index);
    if (!picture) {
        ui::showMessage(this, QMessageBox::Information, imageText(res::ids::SendImageTitle),
                        imageText(res::ids::ImagePageEmpty));
        return;
    }
    runDecodingTest(*picture, tabs_->tabText(index));
}

void MainWindow::runDecodingTest(const image::KesImage& picture, const QString& name) {
    runImaging(res::ids::SendImageTitle, res::ids::SendImageFailed, [&] {
        image::ShootDialog dialog(imagingModule(), this);
        if (dialog.sendPicture(picture)) {
            connection_->logMessage(imageText(res::ids::SendImageLog)
                                        .arg(name)
                                        .arg(picture.width())
                                        .arg(picture.height()));
        }
    });
}

// ---- image pages ----

bool MainWindow::openImageFile(const QString& path) {
    if (!isPictureFile(path))
        return false;
    std::shared_ptr<const image::KesImage> picture = image::loadPicture(path.toStdString());
    const int index = tabs_->addImagePage(std::move(picture));
    tabs_->setFileName(index, path);
    tabs_->markSaved(index);
    showCurrentPage();
    return true;
}

void MainWindow::saveImagePage(const QString& path) {
    const std::shared_ptr<const image::KesImage> picture = tabs_->imageAt(tabs_->currentIndex());
    if (!picture) {
        throw foundation::UserException(foundation::UserException::Refused,
                                        ui::toU16(imageText(res::ids::ImagePageEmpty)));
    }
    // Any name that does not ask for a JPEG is written as a bitmap.
    std::filesystem::path target = path.toStdString();
    if (isJpegName(path)) {
        std::vector<std::uint8_t> bytes;
        if (!picture->toJpeg(bytes)) {
            throw foundation::UserException(foundation::UserException::BadInput,
                                            res::format(res::ids::ImageCannotConvert, {}));
        }
        image::writeFileAtomically(target, bytes);
    } else {
        image::writeFileAtomically(target,
                                   image::encodePicture(*picture, image::PictureKind::Bitmap));
    }
}

QStringList MainWindow::imageSaveFilters() const {
    return {imageText(res::ids::ImageBitmapFilter), imageText(res::ids::ImageJpegFilter)};
}

void MainWindow::printImagePage(QPrinter& printer) {
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    imageView_->print(printer, margins);
}

bool MainWindow::pasteImage() {
    std::unique_ptr<image::KesImage> picture = image::pictureFromClipboard();
    if (!picture)
        return false;
    tabs_->addImagePage(std::shared_ptr<const image::KesImage>(std::move(picture)),
                        PageTabs::kClipboardImage);
    showCurrentPage();
    return true;
}

void MainWindow::showImagePage() {
    imageView_->setImage(tabs_->imageAt(tabs_->currentIndex()));
    stack_->setCurrentWidget(imageView_);
}

}  // namespace omni::app
