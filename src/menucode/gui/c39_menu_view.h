// The Code 39 sheet of a page: "SET(ZZ)", one code per command token with the command's label
// under it, and "END(ZZ)". The wheel changes the label font (24 to 48); Copy takes the one code
// under the last right click.
#pragma once

#include "menucode/gui/menu_code_view.h"

namespace omni::menucode {

class C39MenuView : public MenuCodeView {
    Q_OBJECT
public:
    static constexpr double kMinLabel = 24;
    static constexpr double kMaxLabel = 48;
    static constexpr double kHistoryPrintLabel = 36;  // label font of a print with the history

    explicit C39MenuView(QWidget* parent = nullptr);

    double labelHeight() const { return options_.labelHeight; }

    void zoom(int steps) override;
    Drawing screenDrawing(double clientWidth) const override;
    Drawing wholePicture() const override;
    Drawing copyPicture() const override;
    std::vector<Drawing> printPages(bool withHistory, const PrintSetup& setup) const override;

    // The code of the screen row at `y` (a click there followed by Copy copies it).
    Drawing codeAt(double y) const;

protected:
    QSize naturalSize() const override;
    DeviceGeometry pictureDevice() const override { return DeviceGeometry::code39Sheet(); }

private:
    // The client width the sheet needs so that its code column fits.
    double neededWidth() const;

    Code39ViewOptions options_;
};

}  // namespace omni::menucode
