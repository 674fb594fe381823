#include "tools/gui/auto_tuning_dialog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "commands/gui/dialogs/prefix_suffix_dialog.h"
#include "foundation/atomic_file.h"
#include "image/pictures.h"
#include "reader/capture/two_dimension_module.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/gui/reader_connection.h"
#include "tools/gui/bank_list.h"
#include "tools/gui/picture_view.h"
#include "tools/gui/reading_test_dialog.h"
#include "ui/gui/report.h"

namespace omni::tools {
namespace {

AutoTuningDialog* gOpen = nullptr;

QString text(std::uint32_t id) {
    const std::u16string_view loaded = res::loadString(id);
    return QString::fromUtf16(loaded.data(), static_cast<qsizetype>(loaded.size()));
}

}  // namespace

AutoTuningDialog::AutoTuningDialog(serial::ReaderConnection& connection, bool mode2D,
                                   QWidget* parent, ToolTiming timing)
    : QDialog(parent),
      connection_(connection),
      mode2D_(mode2D),
      link_(std::make_unique<ToolLink>(connection.exchange(), connection.serialPort(), timing)),
      session_(std::make_unique<AutoTuning>(*link_)),
      module_(std::make_unique<reader::TwoDimensionModule>(connection.serialPort())),
      banks_(new BankList(this)),
      picture_(new PictureView(this)) {
    gOpen = this;
    setWindowTitle(text(res::ids::TuningTitle));
    setModal(true);
    buildGroups();
    connect(&runner_, &StepRunner::busyChanged, this, &AutoTuningDialog::setBusy);
    connect(picture_, &PictureView::areaMoved, this, [this] {
        const AdjustmentArea area = picture_->area();
        runner_.run([this, area] { session_->sendAdjustmentArea(area); },
                    [this](std::exception_ptr failure) { report(failure); });
    });
    session_->setAfterSuccess([this](const TuningResult&) { capturePicture(); });
    connection_.pauseReceiving();
    runner_.run([this] { session_->open(); },
                [this](std::exception_ptr failure) {
                    opened_ = !failure;
                    banks_->showBanks(session_->banks(), session_->revert());
                    banks_->selectRow(session_->selected());
                    refreshEnabling();
                    report(failure);
                });
}

AutoTuningDialog::~AutoTuningDialog() {
    videoOn_ = false;
    if (video_.joinable())
        video_.join();
    runner_.wait();
    if (gOpen == this)
        gOpen = nullptr;
}

AutoTuningDialog* AutoTuningDialog::openDialog() {
    return gOpen;
}

QPushButton* AutoTuningDialog::makeButton(const char* name, std::uint32_t caption) {
    auto* b = new QPushButton(text(caption), this);
    b->setObjectName(QLatin1String(name));
    b->setMinimumHeight(b->text().contains(QLatin1Char('\n')) ? 64 : 28);
    return b;
}

QPushButton* AutoTuningDialog::button(const char* name) const {
    return findChild<QPushButton*>(QLatin1String(name));
}

void AutoTuningDialog::buildGroups() {
    auto group = [this](std::uint32_t title, std::initializer_list<QWidget*> widgets) {
        auto* box = new QGroupBox(text(title), this);
        auto* layout = new QVBoxLayout(box);
        for (QWidget* w : widgets)
            layout->addWidget(w);
        layout->addStretch();
        return box;
    };
    QPushButton* startVideoButton = makeButton("startVideo", res::ids::TuningStartVideo);
    QPushButton* stopVideoButton = makeButton("stopVideo", res::ids::TuningStopVideo);
    QPushButton* areaButton = makeButton("viewArea", res::ids::TuningViewArea);
    QPushButton* tuneButton = makeButton("startTuning", res::ids::TuningStart);
    QPushButton* applyButton = makeButton("applySelected", res::ids::TuningApplySelected);
    QPushButton* settingButton = makeButton("setting", res::ids::TuningSetting);
    QPushButton* testButton = makeButton("readingTest", res::ids::TuningReadingTest);
    QPushButton* storeButton = makeButton("store", res::ids::TuningStore);
    QPushButton* menuButton = makeButton("makeMenu", res::ids::TuningMakeMenu);
    QPushButton* saveButton = makeButton("saveFile", res::ids::TuningSaveFile);
    moving_ = new QRadioButton(text(res::ids::TuningMoving), this);
    stationary_ = new QRadioButton(text(res::ids::TuningStationary), this);
    stationary_->setChecked(true);
    auto* hint = new QLabel(
        text(res::ids::TuningAreaHint) + QLatin1Char('\n') + text(res::ids::TuningAreaDragHint),
        this);
    hint->setObjectName(QStringLiteral("areaHint"));
    hint->setWordWrap(true);

    auto* groups = new QHBoxLayout;
    groups->addWidget(
        group(res::ids::TuningGroupVideo, {startVideoButton, stopVideoButton, areaButton}));
    groups->addWidget(
        group(res::ids::TuningGroupTuning, {moving_, stationary_, tuneButton, applyButton}));
    groups->addWidget(group(res::ids::TuningGroupPrefixSuffix, {settingButton}));
    groups->addWidget(
        group(res::ids::TuningGroupTest, {testButton, storeButton, menuButton, saveButton}));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    // Across the whole dialog: in the narrow video column the hint would need more lines than
    // the row of groups is high, and its end would be cut off.
    layout->addWidget(hint);
    auto* lower = new QHBoxLayout;
    lower->addWidget(banks_, 3);
    lower->addWidget(picture_, 2);
    layout->addLayout(lower, 1);

    connect(startVideoButton, &QPushButton::clicked, this, &AutoTuningDialog::startVideo);
    connect(stopVideoButton, &QPushButton::clicked, this, &AutoTuningDialog::stopVideo);
    connect(areaButton, &QPushButton::clicked, this,
            [this] { picture_->showArea(!picture_->areaShown()); });
    connect(tuneButton, &QPushButton::clicked, this, &AutoTuningDialog::startTuning);
    connect(applyButton, &QPushButton::clicked, this, &AutoTuningDialog::applySelected);
    connect(settingButton, &QPushButton::clicked, this, &AutoTuningDialog::prefixSuffix);
    connect(testButton, &QPushButton::clicked, this, &AutoTuningDialog::readingTest);
    connect(storeButton, &QPushButton::clicked, this, &AutoTuningDialog::store);
    connect(menuButton, &QPushButton::clicked, this, &AutoTuningDialog::makeMenu);
    connect(saveButton, &QPushButton::clicked, this, [this] { saveFile(); });
    refreshEnabling();
}

void AutoTuningDialog::setBusy(bool) {
    refreshEnabling();
}

void AutoTuningDialog::refreshEnabling() {
    const bool idle = !runner_.busy() && opened_;
    const bool video = videoOn_.load();
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setEnabled(idle && !video);
    button("stopVideo")->setEnabled(idle && video);
    button("viewArea")->setEnabled(idle);
    moving_->setEnabled(idle && !video);
    stationary_->setEnabled(idle && !video);
    banks_->setEnabled(idle);
}

void AutoTuningDialog::showMessage(const QString& title, const QString& message) {
    emit messageShown(title, message);
    if (!property("quiet").toBool())
        QMessageBox::information(this, title, message);
}

void AutoTuningDialog::report(std::exception_ptr failure) {
    const std::optional<ui::FailureText> failed = ui::failureText(failure);
    if (!failed)
        return;
    // A failure of the program's own kind happened on the link to the reader.
    showMessage(windowTitle(),
                failed->ofProgram
                    ? text(res::ids::TuningLinkFailed).replace(QStringLiteral("%1"), failed->text)
                    : failed->text);
}

// On the worker: a picture of the code just tuned to.
void AutoTuningDialog::capturePicture() {
    try {
        if (!module_->connected())
            module_->connect();
        std::unique_ptr<image::ShotedImage> shot = module_->shoot(nullptr);
        if (shot) {
            std::lock_guard lock(pictureMutex_);
            captured_ = toQImage(*shot);
        }
    } catch (const foundation::Exception&) {
        // No picture: the tuning result stands without one.
    }
}

void AutoTuningDialog::videoLoop() {
    while (videoOn_.load()) {
        capturePicture();
        QImage frame;
        {
            std::lock_guard lock(pictureMutex_);
            frame = captured_;
        }
        if (frame.isNull())
            break;
        QMetaObject::invokeMethod(
            this, [this, frame] { picture_->setPicture(frame); }, Qt::QueuedConnection);
    }
}

void AutoTuningDialog::startVideo() {
    if (runner_.busy() || videoOn_.exchange(true))
        return;
    picture_->clearCorners();
    video_ = std::thread([this] { videoLoop(); });
    refreshEnabling();
}

// On the worker: waits for the video thread and puts the engine back out of video.
void AutoTuningDialog::endVideo() {
    if (!video_.joinable())
        return;
    video_.join();
    link_->send("[EAU");
    link_->send("S0S8");
    link_->acknowledgementExchange();
    link_->send("[BAPQ2");
    link_->waitForAck(2000);
}

void AutoTuningDialog::stopVideo() {
    if (!videoOn_.exchange(false))
        return;
    runner_.run([this] { endVideo(); },
                [this](std::exception_ptr failure) {
                    refreshEnabling();
                    report(failure);
                });
}

void AutoTuningDialog::startTuning() {
    const TuningMode mode = moving_->isChecked() ? TuningMode::Moving : TuningMode::Stationary;
    banks_->readBanks(session_->banks(), session_->revert());
    session_->select(std::max(0, std::min(banks_->currentRow(), kBankCount - 1)));
    // The area is known once a picture has given it a size.
    const std::optional<AdjustmentArea> area =
        picture_->picture().isNull() ? std::nullopt : std::optional(picture_->area());
    auto result = std::make_shared<std::optional<TuningResult>>();
    {
        std::lock_guard lock(pictureMutex_);
        captured_ = QImage();
    }
    runner_.run(
        [this, mode, area, result] {
            if (area)
                session_->sendAdjustmentArea(*area);
            *result = session_->tune(mode);
        },
        [this, result](std::exception_ptr failure) {
            banks_->showBanks(session_->banks(), session_->revert());
            banks_->selectRow(session_->selected());
            if (failure)
                return report(failure);
            if (*result) {
                std::lock_guard lock(pictureMutex_);
                if (!captured_.isNull())
                    picture_->setPicture(captured_);
                picture_->setCorners((*result)->corners);
            }
            showMessage(text(res::ids::TuningResultTitle),
                        text(*result ? res::ids::TuningSuccessful : res::ids::TuningFailed));
        });
}

void AutoTuningDialog::applySelected() {
    banks_->readBanks(session_->banks(), session_->revert());
    runner_.run([this] { session_->applySelected(); },
                [this](std::exception_ptr failure) {
                    if (failure)
                        return report(failure);
                    showMessage(text(res::ids::TuningApplyTitle), text(res::ids::ToolsApplied));
                });
}

void AutoTuningDialog::prefixSuffix() {
    auto agree = std::make_shared<bool>(true);
    runner_.run(
        [this, agree] { *agree = session_->prefixSuffixAgree(); },
        [this, agree](std::exception_ptr failure) {
            if (failure)
                return report(failure);
            if (!*agree && QMessageBox::question(this, text(res::ids::TuningPrefixSuffixTitle),
                                                 text(res::ids::TuningPrefixSuffixQuestion)) !=
                               QMessageBox::Yes)
                return;
            commands::dialogs::PrefixSuffixDialog dialog(mode2D_, false, connection_.model(), this);
            if (dialog.exec() == QDialog::Accepted)
                session_->recordedPrefixSuffix() = dialog.compose();
        });
}

void AutoTuningDialog::readingTest() {
    {
        ReadingTestDialog test(connection_, this);
        test.exec();
    }
    connection_.pauseReceiving();  // the test resumed the log; this dialog reads replies itself
}

void AutoTuningDialog::store() {
    runner_.run([this] { session_->store(); },
                [this](std::exception_ptr failure) {
                    if (failure)
                        return report(failure);
                    showMessage(text(res::ids::TuningSaveSettingsTitle),
                                text(res::ids::TuningSavedSettings));
                });
}

void AutoTuningDialog::makeMenu() {
    const std::string commands = session_->recordedText();
    emit menuPageRequested(QByteArray(commands.data(), static_cast<qsizetype>(commands.size())));
}

void AutoTuningDialog::saveFile(const QString& chosen) {
    QString path = chosen;
    if (path.isEmpty()) {
        QFileDialog dialog(this, text(res::ids::TuningSaveAs), QString(),
                           text(res::ids::TuningTextFilter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        path = dialog.selectedFiles().front();
    }
    try {
        foundation::writeFileAtomically(path.toStdString(), session_->recordedText());
    } catch (const foundation::Exception& e) {
        showMessage(text(res::ids::TuningSaveAs), QString::fromStdU16String(e.text()));
    }
}

void AutoTuningDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void AutoTuningDialog::reject() {
    if (runner_.busy() || closing_)
        return;  // a step runs: closing waits for it
    closing_ = true;
    videoOn_ = false;
    auto makePage = std::make_shared<bool>(false);
    runner_.run(
        [this, makePage] {
            endVideo();
            *makePage = session_->close();
        },
        [this, makePage](std::exception_ptr) {
            if (*makePage)
                makeMenu();
            QDialog::reject();
        });
}

}  // namespace omni::tools
