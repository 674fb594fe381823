#include "image/gui/shoot_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "image/gui/image_strings.h"

namespace omni::image {
namespace {

constexpr int kPollMs = 15;  // how soon the dialog notices that the job has ended

}  // namespace

ShootDialog::ShootDialog(reader::TwoDimensionModule& module, QWidget* parent)
    : QDialog(parent), worker_(module) {
    setObjectName(QStringLiteral("IDD_SHOT_DIALOG"));
    setWindowTitle(imageText(res::ids::ShootTitle));
    setModal(true);
    status_ = new QLabel(imageText(res::ids::ShootAsking), this);
    transfer_ = new QProgressBar(this);
    transfer_->setObjectName(QStringLiteral("transferBar"));
    transfer_->setRange(0, 1);
    transfer_->setValue(0);
    triggerLabel_ = new QLabel(imageText(res::ids::ShootTriggerCaption), this);
    trigger_ = new QProgressBar(this);
    trigger_->setObjectName(QStringLiteral("triggerBar"));
    trigger_->setRange(0, 1);
    trigger_->setValue(0);
    trigger_->setTextVisible(false);
    trigger_->setEnabled(false);
    auto* buttons = new QDialogButtonBox(this);
    cancel_ = buttons->addButton(imageText(res::ids::ShootCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &ShootDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(transfer_);
    layout->addWidget(triggerLabel_);
    layout->addWidget(trigger_);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &ShootDialog::poll);
}

ShootDialog::~ShootDialog() = default;

std::unique_ptr<ShotedImage> ShootDialog::shoot(reader::TriggerKind kind, int seconds) {
    // The countdown shows only for a shot that waits for the trigger.
    const bool waits = kind != reader::TriggerKind::Default;
    triggerLabel_->setVisible(waits);
    trigger_->setVisible(waits);
    if (waits)
        status_->setText(imageText(res::ids::ShootTrigger).arg(seconds));
    worker_.startShot(kind, seconds, this);
    return runStarted();
}

bool ShootDialog::sendPicture(const KesImage& picture) {
    sending_ = true;
    triggerLabel_->hide();
    trigger_->hide();
    setWindowTitle(imageText(res::ids::SendImageTitle));
    status_->setText(imageText(res::ids::SendImageSending));
    worker_.startDecodingTest(picture, this);
    runStarted();
    return !cancelled_;
}

std::unique_ptr<ShotedImage> ShootDialog::runStarted() {
    poll_->start();
    if (!worker_.waitFor(0))
        exec();
    poll_->stop();
    if (cancelled_ && !worker_.waitFor(reader::CaptureWorker::kStopJoinMs))
        return nullptr;  // the worker is stopped (and joined) when the dialog goes
    std::unique_ptr<ShotedImage> picture = worker_.finish();
    if (cancelled_)
        return nullptr;
    return picture;
}

void ShootDialog::poll() {
    if (!worker_.waitFor(0))
        return;
    // Progress still on its way is shown before the dialog goes.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    done(QDialog::Accepted);
}

void ShootDialog::reject() {
    if (!worker_.waitFor(0)) {
        cancelled_ = true;
        worker_.cancel();
    }
    QDialog::reject();
}

void ShootDialog::transferRange(int low, int high) {
    QMetaObject::invokeMethod(
        this, [this, low, high] { transfer_->setRange(low, std::max(low + 1, high)); },
        Qt::QueuedConnection);
}

void ShootDialog::transferPosition(int position) {
    QMetaObject::invokeMethod(
        this, [this, position] { transfer_->setValue(position); }, Qt::QueuedConnection);
}

void ShootDialog::waitRange(int low, int high) {
    QMetaObject::invokeMethod(
        this,
        [this, low, high] {
            trigger_->setEnabled(true);
            trigger_->setRange(low, std::max(low + 1, high));
        },
        Qt::QueuedConnection);
}

void ShootDialog::waitPosition(int position) {
    QMetaObject::invokeMethod(
        this,
        [this, position] {
            trigger_->setValue(position);
            status_->setText(imageText(res::ids::ShootTrigger).arg(position));
        },
        Qt::QueuedConnection);
}

void ShootDialog::beginTransfer(bool) {
    QMetaObject::invokeMethod(
        this,
        [this] {
            status_->setText(
                imageText(sending_ ? res::ids::SendImageSending : res::ids::ShootReceiving));
            trigger_->setEnabled(false);
        },
        Qt::QueuedConnection);
}

}  // namespace omni::image
