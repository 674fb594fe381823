#include "app/gui/download_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using ui::uiText;

// The worker's thread has called its last callback when the end arrives; joining it takes no
// longer than the thread needs to return.
constexpr int kJoinLimitMs = 5000;

QProgressBar* makeBar(const char* name, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setMinimumWidth(320);
    return bar;
}

}  // namespace

DownloadDialog::DownloadDialog(const QString& fileName, QWidget* parent)
    : QDialog(parent), fileName_(fileName) {
    setObjectName(QStringLiteral("IDD_DOWNLOAD_DIALOG"));
    setWindowTitle(uiText(res::ids::FirmwareDialogTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    status_ = new QLabel(uiText(res::ids::FirmwareSending).arg(fileName_), this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setMinimumWidth(360);
    transferBar_ = makeBar("transferBar", this);
    writeBar_ = makeBar("writeBar", this);
    auto* buttons = new QDialogButtonBox(this);
    cancel_ = buttons->addButton(uiText(res::ids::Cancel), QDialogButtonBox::RejectRole);
    cancel_->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &DownloadDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(status_, 0, 0, 1, 2);
    grid->addWidget(new QLabel(uiText(res::ids::FirmwareTransferBar), this), 1, 0);
    grid->addWidget(transferBar_, 1, 1);
    grid->addWidget(new QLabel(uiText(res::ids::FirmwareWriteBar), this), 2, 0);
    grid->addWidget(writeBar_, 2, 1);
    grid->addWidget(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

DownloadDialog::~DownloadDialog() {
    if (!process_)
        return;
    // Only reached when the dialog goes before the worker reported its end.
    if (worker_)
        worker_->cancel();
    try {
        process_->join(kJoinLimitMs);
    } catch (const foundation::Exception&) {
        // The thread is stuck in the port; leaving it is better than freezing the program.
        (void)process_.release();
    }
}

QString DownloadDialog::status() const {
    return status_->text();
}

reader::DownloadResult DownloadDialog::run(reader::DownloadWorker& worker) {
    worker_ = &worker;
    worker.setProgress(queuedProgress());
    process_ = std::make_unique<reader::DownloadProcess>(
        worker, [this](const reader::DownloadResult& result) {
            QMetaObject::invokeMethod(
                this, [this, result] { finish(result); }, Qt::QueuedConnection);
        });
    if (!process_->start()) {
        process_.reset();
        result_.message = ui::toU16(uiText(res::ids::FirmwareNotStarted));
        return result_;
    }
    // The end arrives as a queued call, which closes the dialog.
    exec();
    return result_;
}

// Every callback runs on the worker's thread and is passed on to this one.
reader::DownloadProgress DownloadDialog::queuedProgress() {
    const auto post = [this](auto call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    reader::DownloadProgress progress;
    progress.setTransferRange = [this, post](int low, int high) {
        post([this, low, high] { setTransferRange(low, high); });
    };
    progress.setTransferPosition = [this, post](int at) {
        post([this, at] { setTransferPosition(at); });
    };
    progress.setWriteRange = [this, post](int low, int high) {
        post([this, low, high] { setWriteRange(low, high); });
    };
    progress.setWritePosition = [this, post](int at) {
        post([this, at] { setWritePosition(at); });
    };
    progress.beginPhase = [this, post](bool transferring) {
        post([this, transferring] { beginPhase(transferring); });
    };
    progress.reconnecting = [this, post] { post([this] { showReconnecting(); }); };
    return progress;
}

void DownloadDialog::setTransferRange(int low, int high) {
    transferBar_->setRange(low, std::max(low, high));
    transferBar_->setValue(low);
}

void DownloadDialog::setTransferPosition(int position) {
    transferBar_->setValue(std::clamp(position, transferBar_->minimum(), transferBar_->maximum()));
}

void DownloadDialog::setWriteRange(int low, int high) {
    writeBar_->setRange(low, std::max(low, high));
    writeBar_->setValue(low);
}

void DownloadDialog::setWritePosition(int position) {
    // The engine's last report is one past the unit count.
    writeBar_->setValue(std::clamp(position, writeBar_->minimum(), writeBar_->maximum()));
}

void DownloadDialog::beginPhase(bool transferring) {
    // The block protocol turns to its write phase once every block is in; the character protocol
    // reports the turn alone, before its first block, and writes as it receives.
    if (transferring) {
        transferring_ = true;
    } else if (transferring_ && cancel_->isEnabled()) {
        status_->setText(uiText(res::ids::FirmwareWriting));
    }
}

void DownloadDialog::showReconnecting() {
    status_->setText(uiText(res::ids::FirmwareWaitingForReader));
    cancel_->setEnabled(true);
}

void DownloadDialog::reject() {
    if (ended_ || !worker_) {
        QDialog::reject();
        return;
    }
    if (worker_->writing()) {
        // The engine is writing its flash: it cannot stop, and the reader must be waited for.
        status_->setText(uiText(res::ids::FirmwareCancelWhileWriting));
        return;
    }
    worker_->cancel();
    status_->setText(uiText(res::ids::FirmwareCancelling));
    cancel_->setEnabled(false);
}

void DownloadDialog::finish(const reader::DownloadResult& result) {
    ended_ = true;
    result_ = result;
    if (process_) {
        try {
            process_->join(kJoinLimitMs);
            process_.reset();
        } catch (const foundation::Exception&) {
            (void)process_.release();  // see the destructor
        }
    }
    accept();
}

}  // namespace omni::app
