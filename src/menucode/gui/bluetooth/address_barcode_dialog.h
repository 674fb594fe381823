// The address barcode dialog: one large Code 39 menu code for the reader to scan. It shows the
// address of this computer's Bluetooth adapter, a fixed command of the entry (clear stored data,
// wireless disconnection, demo mode) or a typed date-time value. The code size follows the
// "Font Size" slider and the mouse wheel; a right click copies the code as a picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QDialog>

#include "menucode/page_drawing.h"
#include "menucode/page_render.h"

class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;
class QSlider;

namespace omni::menucode::bluetooth {

class BluetoothRadios;
class AddressBarcodeDialog;

// The white area the code is drawn in.
class BarcodeArea : public QWidget {
    Q_OBJECT
public:
    explicit BarcodeArea(AddressBarcodeDialog& dialog, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    AddressBarcodeDialog& dialog_;
};

class AddressBarcodeDialog : public QDialog {
    Q_OBJECT
public:
    // `mode` is the caption string id of the entry's kind (771, 818, 819, 823, 838).
    AddressBarcodeDialog(std::string_view command, std::uint32_t mode,
                         std::vector<std::uint64_t> radios, QWidget* parent = nullptr);

    std::uint32_t mode() const { return mode_; }
    int codeSize() const { return codeSize_; }
    // Sets the code size (clamped to 48..96); the slider and the label follow.
    void setCodeSize(int size);
    // One wheel notch: a positive delta grows the code.
    void wheel(int delta);

    // The text drawn in the barcode face, or nothing (no adapter, a value that is not 14
    // characters).
    std::optional<std::string> barcodeText() const;
    // The picture of an area of the given size, as the dialog paints it.
    menucode::Drawing areaDrawing(double width, double height) const;
    // What "Copy menu code" puts on the clipboard: the code in a box 20 units wider than it;
    // empty when there is no code.
    menucode::Drawing copyDrawing() const;
    QMimeData* clipboardData() const;
    void copyToClipboard() const;

    QSlider* sizeSlider() const { return slider_; }
    QLabel* sizeLabel() const { return sizeLabel_; }
    QLineEdit* valueEdit() const { return value_; }
    QWidget* area() const { return area_; }
    QMenu* popupMenu() const { return popup_; }

private:
    std::string command_;
    std::uint32_t mode_;
    std::vector<std::uint64_t> radios_;
    int codeSize_;
    BarcodeArea* area_;
    QSlider* slider_;
    QLabel* sizeLabel_;
    QLineEdit* value_;
    QMenu* popup_;
    menucode::QtTextMeasure measure_;
};

// Runs the dialog modally with the adapters of `radios`.
void showAddressBarcode(QWidget* parent, std::string_view command, std::uint32_t mode,
                        const BluetoothRadios& radios);

}  // namespace omni::menucode::bluetooth
