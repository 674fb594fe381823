// The picture of a menu-code page: the QR menu code (2D mode) or the Code 39 sheet (1D mode) of
// one command history. The wheel zooms; the context menu copies the picture, toggles the command
// string (QR only) and opens the page setup; the picture is also saved, copied and printed from
// here.
#pragma once

#include <vector>

#include <QWidget>

#include "menucode/menu_page.h"
#include "menucode/page_drawing.h"
#include "menucode/page_render.h"

class QMenu;
class QAction;
class QPrinter;
class QMimeData;

namespace omni::menucode {
class MenuCodeHistory;
}  // namespace omni::menucode

namespace omni::menucode {

// File formats a page is saved in, chosen by the file name's extension.
enum class PictureFormat { Emf, Png, Svg, Pdf };
// The format of `path` by its extension (letter case ignored); Emf for any other.
PictureFormat pictureFormatOf(const QString& path);

class MenuCodeView : public QWidget {
    Q_OBJECT
public:
    ~MenuCodeView() override;

    // The history drawn (may be null: an empty window). Attaching sets the history's pixels
    // per module to 1.
    void setHistory(MenuCodeHistory* history);
    MenuCodeHistory* history() const { return history_; }

    // The shared print settings (may be null): the reference device of saved pictures and the
    // page that "Setup page" edits.
    void setPrinter(QPrinter* printer) { printer_ = printer; }

    // Redraws after the history changed.
    void refresh();

    // One wheel step: positive zooms in, negative out, within the view's bounds.
    virtual void zoom(int steps) = 0;

    // The picture as shown, laid out for a client area `clientWidth` wide.
    virtual Drawing screenDrawing(double clientWidth) const = 0;
    // The whole picture as saved.
    virtual Drawing wholePicture() const = 0;
    // What Copy puts on the clipboard.
    virtual Drawing copyPicture() const { return wholePicture(); }
    // Printed pages, bare or followed by the history's list.
    virtual std::vector<Drawing> printPages(bool withHistory, const PrintSetup& setup) const = 0;

    // Writes the whole picture in the format of the file name's extension. Throws
    // UserException (or SystemException) naming the file when it cannot be written.
    void save(const QString& path) const;
    // Puts the copy picture on the clipboard as an image and as SVG.
    void copyToClipboard() const;
    // The clipboard contents that copyToClipboard sets.
    QMimeData* clipboardData() const;
    // Prints on `printer`, one drawing per page.
    void print(QPrinter& printer, bool withHistory) const;

    // The reference device of saved pictures: the shared printer, or an A4 page at 600 dpi.
    DeviceGeometry referenceDevice() const;

    QMenu* popupMenu() const { return popup_; }

protected:
    explicit MenuCodeView(QWidget* parent);

    // The "Show command string" item: only the QR view offers it.
    virtual bool offersCommandString() const { return false; }
    virtual void setCommandStringShown(bool) {}
    // Size the picture needs at the current zoom (the scroll area's extent).
    virtual QSize naturalSize() const = 0;
    // The device whose pixels the saved and copied pictures are drawn in; it fixes their
    // physical size in every format.
    virtual DeviceGeometry pictureDevice() const { return referenceDevice(); }
    // Document name of a print job.
    static QString documentName(bool withHistory);

    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    QPoint lastClick() const { return lastClick_; }
    // True while the popup's "Copy menu code" runs, which copies what lies under the click.
    bool copyingAtClick() const { return copyingAtClick_; }
    const QtTextMeasure& measure() const { return measure_; }

private:
    void setupPage();

    MenuCodeHistory* history_ = nullptr;
    QPrinter* printer_ = nullptr;
    QMenu* popup_;
    QAction* copyAction_;
    QAction* showStringAction_;
    QAction* setupPageAction_;
    QPoint lastClick_;
    bool copyingAtClick_ = false;  // the popup's Copy is running
    QtTextMeasure measure_;
};

// Print settings of a QPrinter in the form the print layouts take: its full page in device
// pixels and millimetres, its margins in hundredths of a millimetre.
PrintSetup printSetupOf(const QPrinter& printer);

}  // namespace omni::menucode
