#include "app/gui/apply_page_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "foundation/exception.h"
#include "menucode/page_file.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/serial_port.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using ui::uiText;

enum Column { ColumnPort = 0, ColumnReader = 1, ColumnProgress = 2, ColumnStatus = 3 };

QString text(std::uint32_t id, std::initializer_list<QString> args) {
    QString out = uiText(id);
    for (const QString& arg : args)
        out = out.arg(arg);
    return out;
}

QString number(std::size_t n) {
    return QString::number(static_cast<qulonglong>(n));
}

}  // namespace

struct ApplyPageDialog::Worker {
    reader::ProvisionCancel cancel;
    std::thread thread;
};

ApplyPageDialog::ApplyPageDialog(std::vector<std::string> commands, const QString& pageText,
                                 std::vector<ApplyTarget> targets, std::string keyPath,
                                 QWidget* parent)
    : QDialog(parent),
      commands_(std::move(commands)),
      targets_(std::move(targets)),
      keyPath_(std::move(keyPath)) {
    setObjectName(QStringLiteral("applyPageDialog"));
    setWindowTitle(uiText(res::ids::ApplyPageTitle));

    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(new QLabel(uiText(res::ids::ApplyPagePages), this));
    page_ = new QLabel(pageText, this);
    page_->setObjectName(QStringLiteral("page"));
    pageRow->addWidget(page_, 1);
    fileButton_ = new QPushButton(uiText(res::ids::ApplyPageFromFile), this);
    fileButton_->setObjectName(QStringLiteral("pageFile"));
    connect(fileButton_, &QPushButton::clicked, this, &ApplyPageDialog::chooseFile);
    pageRow->addWidget(fileButton_);

    verify_ = new QCheckBox(uiText(res::ids::ApplyPageVerify), this);
    verify_->setObjectName(QStringLiteral("verify"));
    verify_->setChecked(true);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("readers"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({uiText(res::ids::ApplyPageColumnPort),
                            uiText(res::ids::ApplyPageColumnReader), QString(),
                            uiText(res::ids::ApplyPageColumnStatus)});
    buildList(targets_);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));

    auto* buttons = new QDialogButtonBox(this);
    startButton_ =
        buttons->addButton(uiText(res::ids::ApplyPageStart), QDialogButtonBox::ActionRole);
    cancelButton_ =
        buttons->addButton(uiText(res::ids::ApplyPageCancel), QDialogButtonBox::ActionRole);
    closeButton_ =
        buttons->addButton(uiText(res::ids::ApplyPageClose), QDialogButtonBox::RejectRole);
    startButton_->setObjectName(QStringLiteral("start"));
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    connect(startButton_, &QPushButton::clicked, this, &ApplyPageDialog::start);
    connect(cancelButton_, &QPushButton::clicked, this, &ApplyPageDialog::cancel);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pageRow);
    layout->addWidget(new QLabel(uiText(res::ids::ApplyPagePorts), this));
    layout->addWidget(list_, 1);
    layout->addWidget(verify_);
    layout->addWidget(summary_);
    layout->addWidget(buttons);
    resize(640, 360);
    updateButtons();
}

ApplyPageDialog::~ApplyPageDialog() {
    cancel();
    joinAll();
}

void ApplyPageDialog::buildList(const std::vector<ApplyTarget>& targets) {
    for (const ApplyTarget& target : targets) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(ColumnPort, target.label);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(ColumnPort, target.ticked ? Qt::Checked : Qt::Unchecked);
        item->setText(ColumnStatus, uiText(res::ids::ApplyPageWaiting));
        auto* bar = new QProgressBar(list_);
        bar->setTextVisible(false);
        bar->setMaximumHeight(14);
        bar->setRange(0, 1);
        bar->setValue(0);
        list_->setItemWidget(item, ColumnProgress, bar);
    }
    list_->header()->setSectionResizeMode(ColumnStatus, QHeaderView::Stretch);
    list_->resizeColumnToContents(ColumnPort);
}

void ApplyPageDialog::setVerify(bool verify) {
    verify_->setChecked(verify);
}

bool ApplyPageDialog::loadPageFile(const QString& path) {
    try {
        menucode::PageFileContents contents = menucode::readPageFile(path.toStdString());
        std::vector<std::string> commands;
        for (const commands::PageItem& item : contents.page.items)
            commands.push_back(item.bytes);
        QStringList problems;
        for (const menucode::PageFileProblem& problem : contents.problems)
            problems << ui::toQString(menucode::describe(problem));
        // A damaged file is not applied: a reader must not end up with half a page.
        if (!problems.isEmpty() || commands.empty()) {
            if (problems.isEmpty())
                problems << text(res::ids::ProvisionEmptyPage, {path});
            ui::showMessage(this, QMessageBox::Warning, windowTitle(),
                            problems.join(QLatin1Char('\n')));
            return false;
        }
        commands_ = std::move(commands);
        page_->setText(path);
    } catch (const foundation::Exception& error) {
        ui::reportException(this, error);
        return false;
    }
    updateButtons();
    return true;
}

void ApplyPageDialog::chooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, uiText(res::ids::ApplyPageTitle),
                                                      QString(), uiText(res::ids::PageFileFilter));
    if (!path.isEmpty())
        loadPageFile(path);
}

void ApplyPageDialog::start() {
    if (running_ > 0)
        return;
    if (commands_.empty()) {
        ui::showMessage(this, QMessageBox::Information, windowTitle(),
                        uiText(res::ids::ApplyPageNoPage));
        return;
    }
    std::vector<std::size_t> rows;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        if (list_->topLevelItem(i)->checkState(ColumnPort) == Qt::Checked)
            rows.push_back(static_cast<std::size_t>(i));
    }
    if (rows.empty()) {
        ui::showMessage(this, QMessageBox::Information, windowTitle(),
                        uiText(res::ids::ApplyPageNoPorts));
        return;
    }
    joinAll();
    results_.assign(targets_.size(), {});
    started_ = rows;
    summary_->clear();
    const bool verify = verify_->isChecked();
    for (std::size_t row : rows) {
        auto worker = std::make_unique<Worker>();
        reader::ProvisionRequest request{targets_[row].device, targets_[row].label.toStdString(),
                                         keyPath_, commands_, verify};
        reader::ProvisionCancel* cancel = &worker->cancel;
        worker->thread = std::thread([this, row, request = std::move(request), cancel] {
            serial::SerialPortForPosix port;
            const auto listener = [this, row](const reader::ProvisionProgress& progress) {
                QMetaObject::invokeMethod(
                    this, [this, row, progress] { onProgress(row, progress); },
                    Qt::QueuedConnection);
            };
            reader::ProvisionResult result =
                reader::provisionReader(port, request, listener, *cancel);
            QMetaObject::invokeMethod(
                this, [this, row, result = std::move(result)] { onFinished(row, result); },
                Qt::QueuedConnection);
        });
        workers_.push_back(std::move(worker));
        ++running_;
    }
    updateButtons();
}

void ApplyPageDialog::cancel() {
    for (const auto& worker : workers_)
        worker->cancel.cancel();
}

void ApplyPageDialog::reject() {
    cancel();
    joinAll();
    QDialog::reject();
}

void ApplyPageDialog::joinAll() {
    for (const auto& worker : workers_) {
        if (worker->thread.joinable())
            worker->thread.join();
    }
    workers_.clear();
}

void ApplyPageDialog::onProgress(std::size_t row, reader::ProvisionProgress progress) {
    QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row));
    if (!item || progress.stage == reader::ProvisionProgress::Stage::Finished)
        return;
    auto* bar = qobject_cast<QProgressBar*>(list_->itemWidget(item, ColumnProgress));
    if (bar) {
        bar->setRange(0, static_cast<int>(std::max<std::size_t>(progress.total, 1)));
        bar->setValue(static_cast<int>(progress.sent));
    }
    item->setText(ColumnStatus, progress.stage == reader::ProvisionProgress::Stage::Connecting
                                    ? uiText(res::ids::ApplyPageConnecting)
                                    : text(res::ids::ApplyPageSending,
                                           {number(progress.sent), number(progress.total)}));
}

void ApplyPageDialog::onFinished(std::size_t row, const reader::ProvisionResult& result) {
    results_[row] = result;
    if (QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row))) {
        if (!result.identity.firmware.empty())
            item->setText(ColumnReader, QString::fromStdString(result.identity.family + " " +
                                                               result.identity.firmware));
        const QString acknowledged =
            result.verified ? number(result.acknowledged) : uiText(res::ids::ProvisionNotChecked);
        const QString seconds =
            QString::number(static_cast<double>(result.elapsed.count()) / 1000.0, 'f', 1);
        item->setText(ColumnStatus, result.ok() ? text(res::ids::ApplyPageDone,
                                                       {number(result.sent), acknowledged, seconds})
                                                : text(res::ids::ApplyPageFailed,
                                                       {QString::fromStdString(result.failure)}));
        item->setToolTip(ColumnStatus, item->text(ColumnStatus));
        if (auto* bar = qobject_cast<QProgressBar*>(list_->itemWidget(item, ColumnProgress)))
            bar->setValue(result.ok() ? bar->maximum() : bar->value());
    }
    if (--running_ > 0)
        return;
    joinAll();
    std::size_t done = 0;
    for (std::size_t started : started_)
        done += results_[started].ok() ? 1 : 0;
    summary_->setText(text(res::ids::ApplyPageSummary, {number(done), number(started_.size())}));
    updateButtons();
    emit finished();
}

void ApplyPageDialog::updateButtons() {
    const bool idle = running_ == 0;
    startButton_->setEnabled(idle && !commands_.empty());
    fileButton_->setEnabled(idle);
    verify_->setEnabled(idle);
    // The ticks stay as they were while the readers are worked on.
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        item->setFlags(idle ? item->flags() | Qt::ItemIsUserCheckable
                            : item->flags() & ~Qt::ItemIsUserCheckable);
    }
    cancelButton_->setEnabled(!idle);
}

}  // namespace omni::app
