#include "dataedit/gui/ocr_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dataedit/gui/wizard_link.h"
#include "resources/string_ids.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/text.h"

namespace omni::dataedit {
namespace {

using ui::uiText;
namespace ids = res::ids;

constexpr int kSlotsPerRow = 10;

QString fromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

OcrDialog::OcrDialog(WizardLink& link, QWidget* parent) : QDialog(parent), link_(link) {
    setObjectName(QStringLiteral("freeLineOcrDialog"));
    setWindowTitle(uiText(ids::OcrDialogTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiText(ids::OcrCaption), this));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(uiText(ids::OcrMultiple), this));
    lineCount_ = new QComboBox(this);
    lineCount_->setObjectName(QStringLiteral("lineCount"));
    lineCount_->addItems({uiText(ids::OcrOneString), uiText(ids::OcrTwoStrings)});
    top->addWidget(lineCount_);
    top->addSpacing(24);
    top->addWidget(new QLabel(uiText(ids::OcrFont), this));
    font_ = new QComboBox(this);
    font_->setObjectName(QStringLiteral("font"));
    for (const OcrFont& font : OcrFonts())
        font_->addItem(fromView(font.name));
    top->addWidget(font_);
    top->addStretch(1);
    layout->addLayout(top);

    layout->addWidget(buildLine(0));
    layout->addWidget(buildLine(1));
    layout->addWidget(buildNotes());

    ui::addOkCancel(this, layout);

    connect(lineCount_, &QComboBox::currentIndexChanged, this, &OcrDialog::updateEnabled);
    updateEnabled();
}

QWidget* OcrDialog::buildLine(int line) {
    LineBoxes& boxes = lines_[line];
    const QString prefix = line == 0 ? QStringLiteral("line1") : QStringLiteral("line2");
    boxes.group =
        new QGroupBox(uiText(line == 0 ? ids::OcrFirstString : ids::OcrSecondString), this);
    boxes.group->setObjectName(prefix);
    auto* layout = new QVBoxLayout(boxes.group);

    auto* head = new QHBoxLayout;
    head->addWidget(new QLabel(uiText(ids::OcrDigit), boxes.group));
    boxes.digits = new QComboBox(boxes.group);
    boxes.digits->setObjectName(prefix + QStringLiteral("Digits"));
    for (int n = kOcrMinDigits; n <= kOcrMaxDigits; ++n)
        boxes.digits->addItem(QString::number(n));
    boxes.digits->setCurrentIndex(kOcrStartDigits - kOcrMinDigits);
    head->addWidget(boxes.digits);
    head->addSpacing(16);
    const std::uint32_t allIds[] = {ids::OcrAllNumeric, ids::OcrAllAlphabet,
                                    ids::OcrAllAlphanumeric};
    const std::size_t allRows[] = {kOcrNumeric, kOcrAlphabetic, kOcrAlphanumeric};
    const char* allNames[] = {"AllNumeric", "AllAlphabet", "AllAlphanumeric"};
    for (int i = 0; i < 3; ++i) {
        boxes.all[i] = new QPushButton(uiText(allIds[i]), boxes.group);
        boxes.all[i]->setObjectName(prefix + QLatin1String(allNames[i]));
        boxes.all[i]->setAutoDefault(false);
        const std::size_t row = allRows[i];
        connect(boxes.all[i], &QPushButton::clicked, this,
                [this, line, row] { setAll(line, row); });
        head->addWidget(boxes.all[i]);
    }
    head->addStretch(1);
    head->addWidget(new QLabel(uiText(ids::OcrTermination), boxes.group));
    boxes.termination = new QComboBox(boxes.group);
    boxes.termination->setObjectName(prefix + QStringLiteral("Termination"));
    for (const OcrTermination& t : OcrTerminations())
        boxes.termination->addItem(fromView(t.name));
    boxes.termination->setCurrentIndex(static_cast<int>(kOcrTerminationCr));
    head->addWidget(boxes.termination);
    layout->addLayout(head);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < kOcrMaxDigits; ++i) {
        auto* slot = new QComboBox(boxes.group);
        slot->setObjectName(prefix + QStringLiteral("Position%1").arg(i + 1));
        for (const OcrCharType& type : OcrCharTypes())
            slot->addItem(fromView(type.name));
        slot->setMaxVisibleItems(12);
        boxes.positions[i] = slot;
        const int row = (i / kSlotsPerRow) * 2;
        const int column = i % kSlotsPerRow;
        auto* number = new QLabel(QString::number(i + 1), boxes.group);
        number->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        grid->addWidget(number, row, column);
        grid->addWidget(slot, row + 1, column);
    }
    layout->addLayout(grid);
    connect(boxes.digits, &QComboBox::currentIndexChanged, this, &OcrDialog::updateEnabled);
    return boxes.group;
}

QWidget* OcrDialog::buildNotes() {
    auto* notes = new QWidget(this);
    auto* layout = new QHBoxLayout(notes);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(uiText(ids::OcrNoteSpace), notes));
    left->addWidget(new QLabel(uiText(ids::OcrNoteAdjacent), notes));
    left->addStretch(1);
    layout->addLayout(left, 1);
    auto* legend = new QGroupBox(uiText(ids::OcrNotation), notes);
    auto* legendLayout = new QVBoxLayout(legend);
    for (std::uint32_t id : {ids::OcrLegendA, ids::OcrLegendN, ids::OcrLegendAN, ids::OcrLegendSP})
        legendLayout->addWidget(new QLabel(uiText(id), legend));
    layout->addWidget(legend);
    return notes;
}

void OcrDialog::setAll(int line, std::size_t row) {
    for (QComboBox* slot : lines_[line].positions)
        slot->setCurrentIndex(static_cast<int>(row));
}

void OcrDialog::updateEnabled() {
    const bool two = lineCount_->currentIndex() == 1;
    for (int line = 0; line < 2; ++line) {
        LineBoxes& boxes = lines_[line];
        const bool on = line == 0 || two;
        boxes.digits->setEnabled(on);
        boxes.termination->setEnabled(on);
        for (QPushButton* button : boxes.all)
            button->setEnabled(on);
        const int digits = boxes.digits->currentIndex() + kOcrMinDigits;
        for (int i = 0; i < kOcrMaxDigits; ++i)
            boxes.positions[i]->setEnabled(on && i < digits);
    }
}

OcrSetting OcrDialog::setting() const {
    OcrSetting setting;
    setting.lineCount = lineCount_->currentIndex() + 1;
    setting.font = static_cast<std::size_t>(font_->currentIndex());
    for (int line = 0; line < 2; ++line) {
        const LineBoxes& boxes = lines_[line];
        OcrLine& out = setting.lines[line];
        out.digits = boxes.digits->currentIndex() + kOcrMinDigits;
        out.termination = static_cast<std::size_t>(boxes.termination->currentIndex());
        for (int i = 0; i < kOcrMaxDigits; ++i)
            out.positions[i] = static_cast<std::size_t>(boxes.positions[i]->currentIndex());
    }
    return setting;
}

void OcrDialog::accept() {
    const std::string command = ComposeOcrCommand(setting());
    link_.send(command, this);
    handed_ = HandedPage{HandedPage::Kind::FreeLineOcr, uiText(ids::OcrPageTitle), command};
    link_.stopListening();
    QDialog::accept();
}

}  // namespace omni::dataedit
