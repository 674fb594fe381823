// The multiple-label wizard: which labels are read together (page 1), what goes between them in
// the output (page 2), and the test page. It stores into the program last chosen in this run.
#pragma once

#include <array>

#include "dataedit/gui/data_edit_wizard.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace omni::dataedit {

class MultiLabelPage : public ScriptPage {
    Q_OBJECT
public:
    explicit MultiLabelPage(QWidget* parent = nullptr);
    TemplateResult build() const override;
    // The enabled labels as chosen.
    std::vector<LabelChoice> labels() const;
    int labelCount() const;

private:
    void updateEnabled();

    QComboBox* count_;
    struct LabelBoxes {
        QComboBox* kind;
        QLineEdit* begin;
        QLineEdit* end;
        QSpinBox* min;
        QSpinBox* max;
    };
    std::array<LabelBoxes, 4> labels_{};
};

class MultiLabelOutputPage : public ScriptPage {
    Q_OBJECT
public:
    MultiLabelOutputPage(const MultiLabelPage& labels, QWidget* parent = nullptr);
    void initializePage() override;
    TemplateResult build() const override;

private:
    const MultiLabelPage& labels_;
    QCheckBox* dropBeginEnd_;
    // Begin, separators 1 to 3, end.
    std::array<QComboBox*, 5> chars_{};
};

class MultiLabelWizard : public DataEditWizard {
    Q_OBJECT
public:
    explicit MultiLabelWizard(WizardLink& link, QWidget* parent = nullptr);
    MultiLabelPage* labelPage() const { return labels_; }
    MultiLabelOutputPage* outputPage() const { return output_; }

private:
    MultiLabelPage* labels_;
    MultiLabelOutputPage* output_;
};

}  // namespace omni::dataedit
