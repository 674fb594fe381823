#include "menucode/gui/bluetooth/address_barcode_dialog.h"

#include <cmath>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "commands/compose/bluetooth.h"
#include "menucode/code39.h"
#include "menucode/emf_writer.h"
#include "menucode/gui/bluetooth/bluetooth_radios.h"
#include "menucode/gui/picture_data.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/text.h"

namespace omni::menucode::bluetooth {
namespace {

using namespace omni::commands::compose;

// The barcode face draws its bars over the upper part of the em and the readable text under
// them, as a Code 39 font with human-readable characters does.
constexpr double kBarShare = 0.72;
constexpr double kGapShare = 0.04;
constexpr double kTextShare = 0.24;
// The "not found" message is drawn in a plain face of this height.
constexpr double kMessageHeight = 24;
// The copied picture is this much wider than the code.
constexpr double kCopyMargin = 20;

// The code with its bars and its readable text, the em's top at `top`.
void drawCodeAt(menucode::Drawing& out, std::string_view text, double em, double left, double top) {
    const double width = code39::codeWidth(text, em);
    code39::drawCode(out, text, em, left, top, top + em * kBarShare);
    // The readable line shows the framed characters, lower-case letters as the upper-case
    // characters they encode.
    std::u16string readable;
    std::string_view inner = text;
    if (inner.size() >= 2 && inner.front() == '_' && inner.back() == '_') {
        inner = inner.substr(1, inner.size() - 2);
    }
    for (char c : inner) {
        readable += static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    const double textTop = top + em * (kBarShare + kGapShare);
    out.text({left, textTop, left + width, textTop + em * kTextShare}, readable,
             menucode::Font{u"", em * kTextShare, true}, menucode::Align::Center);
}

}  // namespace

// --- BarcodeArea ---

BarcodeArea::BarcodeArea(AddressBarcodeDialog& dialog, QWidget* parent)
    : QWidget(parent), dialog_(dialog) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize BarcodeArea::sizeHint() const {
    // Room for an address code at the largest size.
    const double width = code39::codeWidth(radioAddressText(0), commands::compose::kCodeSizeMax);
    return {static_cast<int>(width) + 60, commands::compose::kCodeSizeMax * 2};
}

void BarcodeArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    menucode::paint(painter, dialog_.areaDrawing(width(), height()));
}

void BarcodeArea::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    dialog_.wheel(delta);
    event->accept();
}

void BarcodeArea::contextMenuEvent(QContextMenuEvent* event) {
    dialog_.popupMenu()->popup(event->globalPos());
    event->accept();
}

// --- AddressBarcodeDialog ---

AddressBarcodeDialog::AddressBarcodeDialog(std::string_view command, std::uint32_t mode,
                                           std::vector<std::uint64_t> radios, QWidget* parent)
    : QDialog(parent),
      command_(command),
      mode_(mode),
      radios_(std::move(radios)),
      codeSize_(commands::compose::kCodeSizeStart) {
    setWindowTitle(ui::uiText(mode));
    auto* layout = new QVBoxLayout(this);
    area_ = new BarcodeArea(*this, this);
    layout->addWidget(area_, 1);

    auto* controls = new QGridLayout;
    controls->addWidget(new QLabel(ui::uiText(res::ids::CodeSize), this), 0, 0);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(commands::compose::kCodeSizeMin, commands::compose::kCodeSizeMax);
    slider_->setValue(codeSize_);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setTickInterval(8);
    controls->addWidget(slider_, 0, 1);
    sizeLabel_ = new QLabel(QString::number(codeSize_), this);
    sizeLabel_->setMinimumWidth(sizeLabel_->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    sizeLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    controls->addWidget(sizeLabel_, 0, 2);

    // The date-time value, only in the time mode.
    auto* valueCaption = new QLabel(ui::uiText(res::ids::Value), this);
    value_ = new QLineEdit(this);
    value_->setMaxLength(static_cast<int>(commands::compose::kDateTimeValueLength));
    auto* hint = new QLabel(ui::uiText(res::ids::DateTimeHint), this);
    controls->addWidget(valueCaption, 1, 0);
    controls->addWidget(value_, 1, 1);
    controls->addWidget(hint, 2, 1);
    const bool valueShown = commands::compose::valueControlsVisible(mode);
    for (QWidget* widget : {static_cast<QWidget*>(valueCaption), static_cast<QWidget*>(value_),
                            static_cast<QWidget*>(hint)}) {
        widget->setVisible(valueShown);
    }
    if (valueShown)
        value_->setText(QString::fromLatin1(
            commands::compose::dateTimeValue(commands::compose::localDateTime())));
    controls->setColumnStretch(1, 1);
    layout->addLayout(controls);

    ui::addDialogButtons(this, layout, res::ids::Ok, res::ids::Close);

    popup_ = new QMenu(this);
    QAction* copy = popup_->addAction(ui::uiText(res::ids::CopyMenuCode));
    popup_->addAction(ui::uiText(res::ids::ShowCommandString))->setEnabled(false);
    popup_->addAction(ui::uiText(res::ids::ViewSetupPage))->setEnabled(false);
    connect(copy, &QAction::triggered, this, &AddressBarcodeDialog::copyToClipboard);

    connect(slider_, &QSlider::valueChanged, this, &AddressBarcodeDialog::setCodeSize);
    connect(value_, &QLineEdit::textChanged, area_, qOverload<>(&QWidget::update));
}

void AddressBarcodeDialog::setCodeSize(int size) {
    size = commands::compose::clampCodeSize(size);
    if (slider_->value() != size)
        slider_->setValue(size);  // re-enters with the same size
    if (size == codeSize_)
        return;
    codeSize_ = size;
    sizeLabel_->setText(QString::number(size));
    area_->update();
}

void AddressBarcodeDialog::wheel(int delta) {
    setCodeSize(commands::compose::codeSizeAfterWheel(codeSize_, delta));
}

std::optional<std::string> AddressBarcodeDialog::barcodeText() const {
    return addressBarcodeText(mode_, command_, ui::toU16(value_->text()), radios_);
}

menucode::Drawing AddressBarcodeDialog::areaDrawing(double width, double height) const {
    menucode::Drawing out;
    out.width = width;
    out.height = height;
    if (const auto text = barcodeText()) {
        const double em = codeSize_;
        drawCodeAt(out, *text, em, (width - code39::codeWidth(*text, em)) / 2, (height - em) / 2);
    } else if (mode_ == res::ids::BluetoothAddress) {
        out.text({0, (height - kMessageHeight) / 2, width, (height + kMessageHeight) / 2},
                 res::loadString(res::ids::NoBluetoothDevice),
                 menucode::Font{u"", kMessageHeight, false}, menucode::Align::Center);
    }
    return out;
}

menucode::Drawing AddressBarcodeDialog::copyDrawing() const {
    menucode::Drawing out;
    const auto text = barcodeText();
    if (!text)
        return out;
    const double em = codeSize_;
    out.width = std::ceil(code39::codeWidth(*text, em) + kCopyMargin);
    out.height = em;
    drawCodeAt(out, *text, em, kCopyMargin / 2, 0);
    return out;
}

QMimeData* AddressBarcodeDialog::clipboardData() const {
    const menucode::Drawing drawing = copyDrawing();
    if (drawing.items.empty())
        return new QMimeData;
    return menucode::pictureMimeData(drawing, DeviceGeometry::screen(), measure_);
}

void AddressBarcodeDialog::copyToClipboard() const {
    QGuiApplication::clipboard()->setMimeData(clipboardData());
}

void showAddressBarcode(QWidget* parent, std::string_view command, std::uint32_t mode,
                        const BluetoothRadios& radios) {
    AddressBarcodeDialog dialog(command, mode, radios.addresses(), parent);
    dialog.exec();
}

}  // namespace omni::menucode::bluetooth
