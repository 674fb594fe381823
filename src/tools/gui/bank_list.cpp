#include "tools/gui/bank_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QSpinBox>

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::tools {
namespace {

QString text(std::uint32_t id) {
    const std::u16string_view loaded = res::loadString(id);
    return QString::fromUtf16(loaded.data(), static_cast<qsizetype>(loaded.size()));
}

QString latin(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QComboBox* flagBox(bool on) {
    auto* box = new QComboBox;
    box->addItems({text(res::ids::TuningEnable), text(res::ids::TuningDisable)});
    box->setCurrentIndex(on ? 0 : 1);
    return box;
}

QSpinBox* numberBox(int low, int high, int step, int value) {
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

QDoubleSpinBox* amplificationBox(double value) {
    auto* box = new QDoubleSpinBox;
    box->setDecimals(3);
    box->setRange(0.0, 99.99);
    box->setSingleStep(0.1);
    box->setValue(value);
    return box;
}

}  // namespace

BankList::BankList(QWidget* parent) : QTableWidget(kBankCount + 1, ColumnCount, parent) {
    setHorizontalHeaderLabels({QStringLiteral("Apply"), QStringLiteral("Code Type"),
                               QStringLiteral("Negative"), QStringLiteral("Mirror"),
                               QStringLiteral("Exposure/us"), QStringLiteral("LightTime/us"),
                               QStringLiteral("Analog Amp"), QStringLiteral("Digital Amp"),
                               QStringLiteral("ReadTime/ms"), QStringLiteral("Frequency")});
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    showBanks({}, false);
}

void BankList::showBanks(const std::array<TuningBank, kBankCount>& banks, bool revert) {
    for (int row = 0; row <= kBankCount; ++row) {
        auto* apply = new QCheckBox(QString::number(row + 1));
        setCellWidget(row, Apply, apply);
        if (row == kBankCount) {
            apply->setChecked(revert);
            for (int column = CodeType; column < ColumnCount; ++column)
                setItem(row, column, new QTableWidgetItem(text(res::ids::TuningRevert)));
            continue;
        }
        const TuningBank& bank = banks[static_cast<std::size_t>(row)];
        apply->setChecked(bank.apply);
        auto* code = new QComboBox;
        code->addItem(text(res::ids::TuningDefaultCodeSet));
        int chosen = 0;
        for (const CodeSet& set : codeSetTable()) {
            code->addItem(latin(set.name),
                          QStringList{QString(QChar(set.codeId)), latin(set.identifier)});
            if (bank.codeId != 0 && set.codeId == bank.codeId && chosen == 0 &&
                (set.identifier.empty() || set.identifier == bank.identifier))
                chosen = code->count() - 1;
        }
        code->setCurrentIndex(chosen);
        setCellWidget(row, CodeType, code);
        setCellWidget(row, Negative, flagBox(bank.negative));
        setCellWidget(row, Mirror, flagBox(bank.mirror));
        setCellWidget(row, Exposure, numberBox(0, 999999, 10, static_cast<int>(bank.exposureUs)));
        setCellWidget(row, Light, numberBox(0, 999999, 10, static_cast<int>(bank.lightUs)));
        setCellWidget(row, Analog, amplificationBox(bank.analogAmp));
        setCellWidget(row, Digital, amplificationBox(bank.digitalAmp));
        setCellWidget(row, ReadTime, numberBox(0, 2550, 10, bank.readTimeMs));
        setCellWidget(row, Frequency, numberBox(0, 255, 1, bank.frequency));
    }
}

void BankList::readBanks(std::array<TuningBank, kBankCount>& banks, bool& revert) const {
    revert = cell<QCheckBox>(kBankCount, Apply)->isChecked();
    for (int row = 0; row < kBankCount; ++row) {
        TuningBank& bank = banks[static_cast<std::size_t>(row)];
        bank.apply = cell<QCheckBox>(row, Apply)->isChecked();
        const QStringList code = cell<QComboBox>(row, CodeType)->currentData().toStringList();
        bank.codeId = code.isEmpty() ? 0 : code[0].toLatin1().at(0);
        bank.identifier = code.size() > 1 ? code[1].toStdString() : std::string();
        bank.negative = cell<QComboBox>(row, Negative)->currentIndex() == 0;
        bank.mirror = cell<QComboBox>(row, Mirror)->currentIndex() == 0;
        bank.lightUs = cell<QSpinBox>(row, Light)->value();
        bank.exposureUs = std::max<long long>(cell<QSpinBox>(row, Exposure)->value(), bank.lightUs);
        bank.analogAmp = cell<QDoubleSpinBox>(row, Analog)->value();
        bank.digitalAmp = cell<QDoubleSpinBox>(row, Digital)->value();
        bank.readTimeMs = cell<QSpinBox>(row, ReadTime)->value() / 10 * 10;
        bank.frequency = cell<QSpinBox>(row, Frequency)->value();
    }
}

}  // namespace omni::tools
