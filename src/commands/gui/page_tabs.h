// The page tabs: the communication log first (never closed), then menu-code pages and image
// pages, newest right after the log. Each tab keeps its kind, the file it was opened from or
// saved to, and the page object it owns.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QTabBar>

namespace omni::menucode {
class MenuCodeHistory;
}  // namespace omni::menucode
namespace omni::image {
class KesImage;
}  // namespace omni::image

namespace omni::commands {

enum class PageKind : std::uint32_t { Log = 0, Image = 1, MenuCode = 2 };

class PageTabs : public QTabBar {
    Q_OBJECT
public:
    // Title formats of new menu-code pages; each has its own counter, starting at 1.
    static inline const QString kNewMenuCode = QStringLiteral("NewMenuCode %1");
    static inline const QString kGs1EditMenuCode = QStringLiteral("GS1EditMenuCode %1");
    static inline const QString kAutoTuningMenuCode = QStringLiteral("AutoTuningMenuCode %1");
    // Title formats of new image pages: a picture shot or opened, and one pasted.
    static inline const QString kNewImage = QStringLiteral("NewImage %1");
    static inline const QString kClipboardImage = QStringLiteral("Clipboard %1");

    explicit PageTabs(QWidget* parent = nullptr);
    ~PageTabs() override;

    // Inserts a menu-code page with an empty history right after the log page, makes it
    // current and returns its index (1).
    int addMenuCodePage(const QString& titleFormat = kNewMenuCode);

    // Inserts an image page holding `picture` (may be null: an empty page) right after the log
    // page, makes it current and returns its index (1).
    int addImagePage(std::shared_ptr<const image::KesImage> picture,
                     const QString& titleFormat = kNewImage);
    // The picture of image page `index` (null for other pages and empty image pages).
    std::shared_ptr<const image::KesImage> imageAt(int index) const;
    void setImageAt(int index, std::shared_ptr<const image::KesImage> picture);

    // Closes tab `index` and frees its page; the log page (0) is never closed.
    void removePage(int index);
    // Closes every tab but the log page and makes the log page current.
    void closeAllButLog();

    PageKind kindAt(int index) const;
    PageKind currentKind() const { return kindAt(currentIndex()); }
    menucode::MenuCodeHistory* historyAt(int index) const;
    menucode::MenuCodeHistory* currentHistory() const { return historyAt(currentIndex()); }

    // Menu-code tabs show a matrix symbol in 2D mode and a bar code in 1D mode.
    void setMode2D(bool mode2D);

    QString fileName(int index) const;
    void setFileName(int index, const QString& name);

    // A menu-code page has unsaved changes when its commands differ from those it had when it
    // was opened empty or last saved; an image page, when it shows a picture other than the one
    // it was opened from or last saved (a shot or a paste is unsaved until it is saved).
    bool isModified(int index) const;
    void markSaved(int index);

    // The mode the commands of menu-code page `index` were last added in (none while empty).
    void noteAddedInMode(int index, bool mode2D);
    std::optional<bool> builtIn2D(int index) const;

    // Asked before the close button closes tab `index`; false keeps the tab.
    void setCloseGuard(std::function<bool(int)> guard) { closeGuard_ = std::move(guard); }

signals:
    // A tab is about to close; its page is still valid.
    void pageClosing(int index);

private:
    struct Tab {
        PageKind kind;
        QString fileName;
        std::unique_ptr<menucode::MenuCodeHistory> history;  // menu-code pages
        std::string savedState;  // the commands and labels as last saved
        std::optional<bool> builtIn2D;
        std::shared_ptr<const image::KesImage> image;     // image pages
        std::weak_ptr<const image::KesImage> savedImage;  // the picture as last opened or saved
    };
    void onCloseRequested(int index);
    const Tab* tabAt(int index) const;

    std::vector<Tab> tabs_;
    bool mode2D_ = true;
    std::function<bool(int)> closeGuard_;
};

}  // namespace omni::commands
