// Communication › Apply page to readers: a page's commands sent to every ticked reader at once,
// one worker thread per reader, with a progress list that shows each reader's engine, how many
// commands went through and how it ended. Closing the dialog cancels what still runs.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QDialog>

#include "reader/provision.h"
#include "serial/port_descriptor.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace omni::app {

// One reader the dialog offers: the name shown and the device opened.
struct ApplyTarget {
    QString label;
    serial::PortDescriptor device;
    bool ticked = true;
};

class ApplyPageDialog : public QDialog {
    Q_OBJECT
public:
    // `commands` are the page's entries in order; `pageText` describes where they come from.
    // `keyPath` is where each port's line settings are stored.
    ApplyPageDialog(std::vector<std::string> commands, const QString& pageText,
                    std::vector<ApplyTarget> targets, std::string keyPath,
                    QWidget* parent = nullptr);
    ~ApplyPageDialog() override;

    // Replaces the page by a page file's entries; false (with a message shown) when it cannot
    // be read or holds no commands.
    bool loadPageFile(const QString& path);

    void setVerify(bool verify);
    // Starts a worker per ticked reader; does nothing while one runs.
    void start();
    // Asks every running worker to stop.
    void cancel();
    bool running() const { return running_ > 0; }

    QTreeWidget* list() const { return list_; }
    const std::vector<reader::ProvisionResult>& results() const { return results_; }

signals:
    // Every worker of the last start() has ended.
    void finished();

protected:
    void reject() override;

private:
    struct Worker;

    void buildList(const std::vector<ApplyTarget>& targets);
    void onProgress(std::size_t row, reader::ProvisionProgress progress);
    void onFinished(std::size_t row, const reader::ProvisionResult& result);
    void chooseFile();
    void updateButtons();
    void joinAll();

    std::vector<std::string> commands_;
    std::vector<ApplyTarget> targets_;
    std::string keyPath_;
    QLabel* page_ = nullptr;
    QCheckBox* verify_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* fileButton_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<reader::ProvisionResult> results_;
    std::vector<std::size_t> started_;  // the rows of the last start()
    std::size_t running_ = 0;
};

}  // namespace omni::app
