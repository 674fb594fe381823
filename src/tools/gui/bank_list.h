// The auto tuning dialog's bank list: six rows (banks 1 to 5 and "Revert") with the bank's
// fields edited in place by combo boxes and number boxes in the cells.
#pragma once

#include <QTableWidget>
#include <array>

#include "tools/tuning_bank.h"

namespace omni::tools {

class BankList : public QTableWidget {
    Q_OBJECT
public:
    enum Column {
        Apply,
        CodeType,
        Negative,
        Mirror,
        Exposure,
        Light,
        Analog,
        Digital,
        ReadTime,
        Frequency,
        ColumnCount
    };

    explicit BankList(QWidget* parent = nullptr);

    // Shows the banks and the revert flag.
    void showBanks(const std::array<TuningBank, kBankCount>& banks, bool revert);
    // Reads the edits back into `banks` and `revert`.
    void readBanks(std::array<TuningBank, kBankCount>& banks, bool& revert) const;

private:
    template <typename T>
    T* cell(int row, int column) const {
        return qobject_cast<T*>(cellWidget(row, column));
    }
};

}  // namespace omni::tools
