// The free line OCR setting: one or two printed lines described position by position, the font,
// and on OK the script pair and OCR commands that make the reader read them.
#pragma once

#include <array>
#include <optional>

#include <QDialog>

#include "dataedit/gui/data_edit_wizard.h"
#include "dataedit/ocr.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace omni::dataedit {

class WizardLink;

class OcrDialog : public QDialog {
    Q_OBJECT
public:
    explicit OcrDialog(WizardLink& link, QWidget* parent = nullptr);

    // The setting as the boxes stand.
    OcrSetting setting() const;
    // After OK: the menu-code page with the command.
    std::optional<HandedPage> handedPage() const { return handed_; }

    void accept() override;

private:
    struct LineBoxes {
        QGroupBox* group = nullptr;
        QComboBox* digits = nullptr;
        std::array<QComboBox*, kOcrMaxDigits> positions{};
        std::array<QPushButton*, 3> all{};
        QComboBox* termination = nullptr;
    };
    QWidget* buildLine(int line);
    QWidget* buildNotes();
    void setAll(int line, std::size_t row);
    void updateEnabled();

    WizardLink& link_;
    QComboBox* lineCount_;
    QComboBox* font_;
    std::array<LineBoxes, 2> lines_;
    std::optional<HandedPage> handed_;
};

}  // namespace omni::dataedit
