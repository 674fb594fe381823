#include "commands/gui/page_tabs.h"

#include <map>

#include "image/kes_image.h"
#include "menucode/menu_code_history.h"
#include "resources/string_ids.h"
#include "ui/gui/icons.h"
#include "ui/gui/text.h"

namespace omni::commands {
namespace {

int nextNumber(const QString& titleFormat) {
    static std::map<QString, int> counters;
    return ++counters[titleFormat];
}

}  // namespace

namespace {

// The commands and labels of a page, in order: what saving keeps.
std::string stateOf(const menucode::MenuCodeHistory& history) {
    std::string state;
    for (const PageItem& item : history.entries()) {
        state += item.bytes;
        state += '\x1f';
        state.append(reinterpret_cast<const char*>(item.label.data()), item.label.size() * 2);
        state += '\x1e';
    }
    return state;
}

}  // namespace

PageTabs::PageTabs(QWidget* parent) : QTabBar(parent) {
    setObjectName(QStringLiteral("pageTabs"));
    setDocumentMode(true);
    setExpanding(false);
    setTabsClosable(true);
    setMovable(false);
    setElideMode(Qt::ElideNone);
    tabs_.push_back(Tab{PageKind::Log, {}, nullptr, {}, {}, nullptr, {}});
    addTab(ui::uiText(res::ids::CommunicationLog));
    setTabButton(0, QTabBar::RightSide, nullptr);
    setTabButton(0, QTabBar::LeftSide, nullptr);
    connect(this, &QTabBar::tabCloseRequested, this, &PageTabs::onCloseRequested);
}

PageTabs::~PageTabs() = default;

int PageTabs::addMenuCodePage(const QString& titleFormat) {
    auto history = std::make_unique<menucode::MenuCodeHistory>();
    std::string state = stateOf(*history);
    tabs_.insert(
        tabs_.begin() + 1,
        Tab{PageKind::MenuCode, {}, std::move(history), std::move(state), {}, nullptr, {}});
    const int index = insertTab(1, ui::icon(mode2D_ ? ui::IconId::Leaf2D : ui::IconId::Leaf1D),
                                titleFormat.arg(nextNumber(titleFormat)));
    setCurrentIndex(index);
    return index;
}

int PageTabs::addImagePage(std::shared_ptr<const image::KesImage> picture,
                           const QString& titleFormat) {
    tabs_.insert(tabs_.begin() + 1,
                 Tab{PageKind::Image, {}, nullptr, {}, {}, std::move(picture), {}});
    const int index =
        insertTab(1, ui::icon(ui::IconId::Picture), titleFormat.arg(nextNumber(titleFormat)));
    setCurrentIndex(index);
    return index;
}

std::shared_ptr<const image::KesImage> PageTabs::imageAt(int index) const {
    const Tab* tab = tabAt(index);
    return tab ? tab->image : nullptr;
}

void PageTabs::setImageAt(int index, std::shared_ptr<const image::KesImage> picture) {
    if (kindAt(index) == PageKind::Image)
        tabs_[static_cast<std::size_t>(index)].image = std::move(picture);
}

void PageTabs::removePage(int index) {
    if (index <= 0 || index >= static_cast<int>(tabs_.size()))
        return;
    emit pageClosing(index);
    // Take the page out of the records first, so that the current-page signal of removeTab
    // never sees a tab without its record.
    Tab closing = std::move(tabs_[static_cast<std::size_t>(index)]);
    tabs_.erase(tabs_.begin() + index);
    removeTab(index);
}

void PageTabs::onCloseRequested(int index) {
    if (closeGuard_ && !closeGuard_(index))
        return;
    removePage(index);
}

void PageTabs::noteAddedInMode(int index, bool mode2D) {
    if (index > 0 && index < static_cast<int>(tabs_.size()))
        tabs_[std::size_t(index)].builtIn2D = mode2D;
}

std::optional<bool> PageTabs::builtIn2D(int index) const {
    const Tab* tab = tabAt(index);
    if (!tab || !tab->history || tab->history->empty())
        return std::nullopt;
    return tab->builtIn2D;
}

bool PageTabs::isModified(int index) const {
    const Tab* tab = tabAt(index);
    if (!tab)
        return false;
    if (tab->kind == PageKind::Image)
        return tab->image && tab->image != tab->savedImage.lock();
    return tab->history && stateOf(*tab->history) != tab->savedState;
}

void PageTabs::markSaved(int index) {
    if (index <= 0 || index >= static_cast<int>(tabs_.size()))
        return;
    Tab& tab = tabs_[std::size_t(index)];
    if (tab.history)
        tab.savedState = stateOf(*tab.history);
    tab.savedImage = tab.image;
}

void PageTabs::closeAllButLog() {
    while (count() > 1)
        removePage(count() - 1);
    setCurrentIndex(0);
}

const PageTabs::Tab* PageTabs::tabAt(int index) const {
    if (index < 0 || index >= static_cast<int>(tabs_.size()))
        return nullptr;
    return &tabs_[static_cast<std::size_t>(index)];
}

PageKind PageTabs::kindAt(int index) const {
    const Tab* tab = tabAt(index);
    return tab ? tab->kind : PageKind::Log;
}

menucode::MenuCodeHistory* PageTabs::historyAt(int index) const {
    const Tab* tab = tabAt(index);
    return tab ? tab->history.get() : nullptr;
}

void PageTabs::setMode2D(bool mode2D) {
    mode2D_ = mode2D;
    const QIcon icon = ui::icon(mode2D ? ui::IconId::Leaf2D : ui::IconId::Leaf1D);
    for (int i = 0; i < count(); ++i) {
        if (kindAt(i) == PageKind::MenuCode)
            setTabIcon(i, icon);
    }
}

QString PageTabs::fileName(int index) const {
    const Tab* tab = tabAt(index);
    return tab ? tab->fileName : QString();
}

void PageTabs::setFileName(int index, const QString& name) {
    if (index >= 0 && index < static_cast<int>(tabs_.size())) {
        tabs_[static_cast<std::size_t>(index)].fileName = name;
    }
}

}  // namespace omni::commands
