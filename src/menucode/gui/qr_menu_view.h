// The QR menu code of a page: one symbol holding every command of the history. The wheel
// changes the pixels per module (2 to 8); the envelope text can be shown under the symbol.
#pragma once

#include "menucode/gui/menu_code_view.h"

namespace omni::menucode {

class QrMenuView : public MenuCodeView {
    Q_OBJECT
public:
    static constexpr int kMinModule = 2;
    static constexpr int kMaxModule = 8;

    explicit QrMenuView(QWidget* parent = nullptr);

    int moduleSize() const { return options_.moduleSize; }
    bool commandStringShown() const { return options_.showCommandString; }
    // The font of the command string (16 inside a page with its history, 18 alone).
    void setCommandFontHeight(double height) { options_.commandFont.height = height; }

    void zoom(int steps) override;
    Drawing screenDrawing(double clientWidth) const override;
    Drawing wholePicture() const override;
    std::vector<Drawing> printPages(bool withHistory, const PrintSetup& setup) const override;
    void setCommandStringShown(bool shown) override { options_.showCommandString = shown; }

protected:
    bool offersCommandString() const override { return true; }
    QSize naturalSize() const override;

private:
    QrViewOptions options_;
};

}  // namespace omni::menucode
