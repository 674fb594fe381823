#include "image/gui/image_output_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "image/gui/image_strings.h"
#include "reader/capture/two_dimension_module.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/report.h"

namespace omni::image {
namespace {

// Choices of a drop-down: the text and the value the library takes.
struct Choice {
    std::uint32_t textId;
    int value;
};
constexpr Choice kSubSampling[] = {
    {res::ids::OutputSub1, 1}, {res::ids::OutputSub2, 2}, {res::ids::OutputSub4, 4}};
constexpr Choice kBits[] = {{res::ids::OutputBits1, 1},
                            {res::ids::OutputBits4, 4},
                            {res::ids::OutputBits8, 8},
                            {res::ids::OutputBits10, 10}};
constexpr Choice kFormats[] = {{res::ids::OutputJpeg, KES_IMAGE_FORMAT_JPEG},
                               {res::ids::OutputBmp, KES_IMAGE_FORMAT_BMP}};
constexpr Choice kTransfers[] = {{res::ids::OutputPart, 0}, {res::ids::OutputWhole, 1}};
constexpr Choice kReverses[] = {{res::ids::OutputNotReverse, 0},
                                {res::ids::OutputReverseChoice, 1},
                                {res::ids::OutputRemain, 2}};
static_assert(std::size(kBits) == 4 && std::size(kReverses) == 3);

template <std::size_t N>
QComboBox* makeChoices(QWidget* parent, const Choice (&choices)[N]) {
    auto* box = new QComboBox(parent);
    for (const Choice& c : choices)
        box->addItem(imageText(c.textId), c.value);
    return box;
}

// Selects the item of `value`; a value outside the choices is shown as such and kept.
void selectValue(QComboBox* box, int value) {
    int index = box->findData(value);
    if (index < 0) {
        box->addItem(imageText(res::ids::OutputOther).arg(value), value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

QSpinBox* makeSpin(QWidget* parent, int low, int high) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(low, high);
    return spin;
}

}  // namespace

ImageOutputDialog::ImageOutputDialog(KesHandle settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("IDD_IMAGE_OUTPUT_SETTING_DIALOG"));
    setWindowTitle(imageText(res::ids::OutputTitle));
    // Wide enough for the window manager to show the whole title beside its buttons.
    constexpr int kTitleBarButtons = 160;
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarButtons);
    const int maxX = std::max(1, KesGetMaximumWidth(settings)) - 1;
    const int maxY = std::max(1, KesGetMaximumHeight(settings)) - 1;

    auto* trimBox = new QGroupBox(imageText(res::ids::OutputTrim), this);
    auto* trimGrid = new QGridLayout(trimBox);
    const std::uint32_t sides[4] = {res::ids::OutputLeft, res::ids::OutputTop,
                                    res::ids::OutputRight, res::ids::OutputBottom};
    for (int i = 0; i < 4; ++i) {
        trim_[i] = makeSpin(trimBox, 0, i % 2 == 0 ? maxX : maxY);
        trimGrid->addWidget(new QLabel(imageText(sides[i]), trimBox), i / 2, (i % 2) * 2);
        trimGrid->addWidget(trim_[i], i / 2, (i % 2) * 2 + 1);
    }

    auto* form = new QFormLayout;
    subX_ = makeChoices(this, kSubSampling);
    subY_ = makeChoices(this, kSubSampling);
    bits_ = makeChoices(this, kBits);
    quality_ = makeSpin(this, 5, 100);
    format_ = makeChoices(this, kFormats);
    transfer_ = makeChoices(this, kTransfers);
    flip1_ = new QCheckBox(imageText(res::ids::OutputFlip1), this);
    flip2_ = new QCheckBox(imageText(res::ids::OutputFlip2), this);
    reverse_ = makeChoices(this, kReverses);
    form->addRow(imageText(res::ids::OutputSubSamplingX), subX_);
    form->addRow(imageText(res::ids::OutputSubSamplingY), subY_);
    form->addRow(imageText(res::ids::OutputBits), bits_);
    form->addRow(imageText(res::ids::OutputJpegQuality), quality_);
    form->addRow(imageText(res::ids::OutputFormat), format_);
    form->addRow(imageText(res::ids::OutputTransfer), transfer_);
    form->addRow(imageText(res::ids::OutputReverse), reverse_);
    form->addRow(flip1_);
    form->addRow(flip2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(trimBox);
    layout->addLayout(form);
    ui::addOkCancel(this, layout)->button(QDialogButtonBox::Ok)->setDefault(true);
    load();
}

void ImageOutputDialog::load() {
    const KesHandle s = settings_;
    const std::int32_t trims[4] = {KesGetTrimLeft(s), KesGetTrimTop(s), KesGetTrimRight(s),
                                   KesGetTrimBottom(s)};
    for (int i = 0; i < 4; ++i)
        trim_[i]->setValue(trims[i]);
    selectValue(subX_, KesGetSubSamplingX(s));
    selectValue(subY_, KesGetSubSamplingY(s));
    selectValue(bits_, KesGetBitsPerPixel(s));
    quality_->setValue(KesGetJpegQuality(s));
    selectValue(format_, KesGetImageFormat(s));
    selectValue(transfer_, KesGetWholeTransfer(s) ? 1 : 0);
    flip1_->setChecked(KesGetFlip1(s) != 0);
    flip2_->setChecked(KesGetFlip2(s) != 0);
    selectValue(reverse_, KesGetReverse(s));
}

bool ImageOutputDialog::apply(QString* refused) {
    using Setter = void (*)(KesHandle, std::int32_t);
    struct Field {
        Setter set;
        int value;
        QString name;
    };
    const std::uint32_t sides[4] = {res::ids::OutputLeft, res::ids::OutputTop,
                                    res::ids::OutputRight, res::ids::OutputBottom};
    const Setter trimSetters[4] = {KesSetTrimLeft, KesSetTrimTop, KesSetTrimRight,
                                   KesSetTrimBottom};
    std::vector<Field> fields;
    for (int i = 0; i < 4; ++i) {
        fields.push_back(
            {trimSetters[i], trim_[i]->value(),
             imageText(res::ids::OutputTrim) + QStringLiteral(" ") + imageText(sides[i])});
    }
    fields.push_back({KesSetSubSamplingX, subX_->currentData().toInt(),
                      imageText(res::ids::OutputSubSamplingX)});
    fields.push_back({KesSetSubSamplingY, subY_->currentData().toInt(),
                      imageText(res::ids::OutputSubSamplingY)});
    fields.push_back(
        {KesSetBitsPerPixel, bits_->currentData().toInt(), imageText(res::ids::OutputBits)});
    fields.push_back(
        {KesSetJpegQuality, quality_->value(), imageText(res::ids::OutputJpegQuality)});
    fields.push_back({KesSetWholeTransfer, transfer_->currentData().toInt(),
                      imageText(res::ids::OutputTransfer)});
    fields.push_back({KesSetFlip1, flip1_->isChecked() ? 1 : 0, imageText(res::ids::OutputFlip1)});
    fields.push_back({KesSetFlip2, flip2_->isChecked() ? 1 : 0, imageText(res::ids::OutputFlip2)});
    fields.push_back(
        {KesSetReverse, reverse_->currentData().toInt(), imageText(res::ids::OutputReverse)});
    // A format the engine named but this program does not know is left as it is.
    const int format = format_->currentData().toInt();
    if (format == KES_IMAGE_FORMAT_JPEG || format == KES_IMAGE_FORMAT_BMP)
        fields.push_back({KesSetImageFormat, format, imageText(res::ids::OutputFormat)});
    for (const Field& field : fields) {
        KesSetLastStatus(KES_STATE_SUCCESS);
        field.set(settings_, field.value);
        if (KesGetLastStatus() != KES_STATE_SUCCESS) {
            KesSetLastStatus(KES_STATE_SUCCESS);
            if (refused)
                *refused = imageText(res::ids::OutputRefused).arg(field.name).arg(field.value);
            return false;
        }
    }
    return true;
}

void ImageOutputDialog::accept() {
    QString refused;
    if (!apply(&refused)) {
        ui::showMessage(this, QMessageBox::Warning, windowTitle(), refused);
        return;
    }
    QDialog::accept();
}

bool editOutputSettings(reader::TwoDimensionModule& module, QWidget* parent) {
    struct Settings {
        KesHandle handle;
        ~Settings() { KesCloseHandle(handle); }
    } settings{module.readOutputSettings()};
    ImageOutputDialog dialog(settings.handle, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    module.writeOutputSettings(settings.handle);
    return true;
}

}  // namespace omni::image
