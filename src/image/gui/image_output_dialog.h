// The image output settings dialog: the engine's trimming, sub-sampling, bit depth, JPEG quality,
// format, transfer, flips and reverse, shown from a settings object read from the reader and
// written back through the library's setters when the operator confirms.
#pragma once

#include <QDialog>

#include "module/kes_sdk.h"

class QComboBox;
class QCheckBox;
class QSpinBox;

namespace omni::reader {
class TwoDimensionModule;
}

namespace omni::image {

class ImageOutputDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the fields of `settings` (an output-settings handle the caller keeps).
    explicit ImageOutputDialog(KesHandle settings, QWidget* parent = nullptr);

    // Sets the fields of the settings object from the controls; on a value the library refuses
    // it returns false with `refused` naming the field and value.
    bool apply(QString* refused);

    QSpinBox* trim(int side) const { return trim_[side]; }
    QComboBox* bitsBox() const { return bits_; }
    QComboBox* formatBox() const { return format_; }

public slots:
    void accept() override;

private:
    void load();

    KesHandle settings_;
    QSpinBox* trim_[4] = {};
    QComboBox* subX_ = nullptr;
    QComboBox* subY_ = nullptr;
    QComboBox* bits_ = nullptr;
    QSpinBox* quality_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* transfer_ = nullptr;
    QCheckBox* flip1_ = nullptr;
    QCheckBox* flip2_ = nullptr;
    QComboBox* reverse_ = nullptr;
};

// Reads the settings from the reader, runs the dialog over them and writes them on OK. True when
// they were written. Throws the reader's failure (KesException) to the caller.
bool editOutputSettings(reader::TwoDimensionModule& module, QWidget* parent);

}  // namespace omni::image
