// The shoot dialog: runs one shot, or one decoding test on a picture, on a CaptureWorker while it
// shows the transfer bar, the trigger countdown and a Cancel button. The dialog closes by itself
// when the job ends. Cancel (or closing the window) cancels the transfer and joins the worker
// within CaptureWorker::kStopJoinMs.
//
// Both runs return what the job produced and rethrow its failure (KesException, UserException)
// for the caller to report.
#pragma once

#include <atomic>
#include <memory>

#include <QDialog>

#include "reader/capture/capture_worker.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace omni::image {

class ShootDialog : public QDialog, private reader::ShootProgress {
    Q_OBJECT
public:
    explicit ShootDialog(reader::TwoDimensionModule& module, QWidget* parent = nullptr);
    ~ShootDialog() override;

    // A shot (trigger kind Default: the automatic shot; otherwise waiting up to `seconds` for
    // the trigger). Null when cancelled.
    std::unique_ptr<ShotedImage> shoot(reader::TriggerKind kind, int seconds);
    // The decoding test on `picture`; false when cancelled.
    bool sendPicture(const KesImage& picture);

    bool cancelled() const { return cancelled_; }

    QProgressBar* transferBar() const { return transfer_; }
    QProgressBar* triggerBar() const { return trigger_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void reject() override;

private:
    // Runs the started job until it ends or is cancelled; the worker's result.
    std::unique_ptr<ShotedImage> runStarted();
    void poll();

    // Progress, reported on the worker's thread and shown on the dialog's.
    void transferRange(int low, int high) override;
    void transferPosition(int position) override;
    void waitRange(int low, int high) override;
    void waitPosition(int position) override;
    void beginTransfer(bool blockByBlock) override;

    reader::CaptureWorker worker_;
    QLabel* status_ = nullptr;
    QLabel* triggerLabel_ = nullptr;
    QProgressBar* transfer_ = nullptr;
    QProgressBar* trigger_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* poll_ = nullptr;
    bool cancelled_ = false;
    bool sending_ = false;
};

}  // namespace omni::image
