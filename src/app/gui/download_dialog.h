// The firmware download dialog: a transfer bar (blocks sent), a write bar (64 KB units the
// engine has written) and Cancel, shown while a download worker runs on its own thread.
//
// Cancel asks the worker to stop at the next block; once the engine is writing its flash it can
// no longer be stopped, so Cancel then only says so and the dialog keeps waiting. While the
// worker waits for the restarted reader, Cancel ends that wait. Escape and the close button act
// as Cancel: the dialog closes only when the worker has ended.
//
// Threads: the worker's progress and its end reach the dialog as queued calls; everything here
// runs on the user-interface thread.
#pragma once

#include <memory>

#include <QDialog>

#include "reader/download/download_worker.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace omni::app {

class DownloadDialog : public QDialog {
    Q_OBJECT
public:
    // `fileName` is shown in the dialog's status line.
    explicit DownloadDialog(const QString& fileName, QWidget* parent = nullptr);
    ~DownloadDialog() override;

    // Runs `worker` on its own thread with the dialog shown modally and returns how the download
    // ended. The worker must outlive the call.
    reader::DownloadResult run(reader::DownloadWorker& worker);

    // The progress as the worker reports it (public for the screenshots).
    void setTransferRange(int low, int high);
    void setTransferPosition(int position);
    void setWriteRange(int low, int high);
    void setWritePosition(int position);
    void beginPhase(bool transferring);
    void showReconnecting();

    QProgressBar* transferBar() const { return transferBar_; }
    QProgressBar* writeBar() const { return writeBar_; }
    QPushButton* cancelButton() const { return cancel_; }
    QString status() const;

public slots:
    // Cancel, Escape and the close button.
    void reject() override;

private:
    reader::DownloadProgress queuedProgress();
    void finish(const reader::DownloadResult& result);

    QString fileName_;
    QLabel* status_ = nullptr;
    QProgressBar* transferBar_ = nullptr;
    QProgressBar* writeBar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    reader::DownloadWorker* worker_ = nullptr;
    std::unique_ptr<reader::DownloadProcess> process_;
    reader::DownloadResult result_;
    bool transferring_ = false;  // blocks have been sent: a turn now means the write phase
    bool ended_ = false;
};

}  // namespace omni::app
