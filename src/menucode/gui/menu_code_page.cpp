#include "menucode/gui/menu_code_page.h"

#include <QAction>
#include <QHeaderView>
#include <QScrollArea>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "menucode/gui/menu_code_view.h"
#include "menucode/menu_code_history.h"
#include "resources/string_ids.h"
#include "ui/gui/icons.h"
#include "ui/gui/pane_splitter.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::menucode {
namespace {
constexpr int kMinPicture = 80;
constexpr int kMinList = 64;

QString commandShown(const std::string& bytes) {
    QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

}  // namespace

MenuCodePage::MenuCodePage(MenuCodeView* view, QWidget* parent) : QWidget(parent), view_(view) {
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setBackgroundRole(QPalette::Base);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("commandHistoryList"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({ui::uiText(res::ids::Explanation), ui::uiText(res::ids::Command)});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setAlternatingRowColors(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, 420);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { deleteSelected(); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &MenuCodePage::updateButtons);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("commandHistoryToolbar"));
    bar->setIconSize(QSize(16, 16));
    delete_ = bar->addAction(ui::icon(ui::IconId::Delete), ui::uiText(res::ids::DeleteEntry));
    up_ = bar->addAction(ui::icon(ui::IconId::MoveUp), ui::uiText(res::ids::MoveUp));
    down_ = bar->addAction(ui::icon(ui::IconId::MoveDown), ui::uiText(res::ids::MoveDown));
    connect(delete_, &QAction::triggered, this, &MenuCodePage::deleteSelected);
    connect(up_, &QAction::triggered, this, [this] { moveSelected(-1); });
    connect(down_, &QAction::triggered, this, [this] { moveSelected(1); });

    QWidget* lower = ui::barAbove(bar, list_, this);

    split_ = new ui::PaneSplitter(Qt::Vertical, this);
    split_->addWidget(scroll_);
    split_->addWidget(lower);
    split_->setPaneLimits(kMinPicture, QWIDGETSIZE_MAX, kMinList);
    connect(split_, &ui::PaneSplitter::firstPaneResized, this, &MenuCodePage::pictureHeightChanged);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split_);
    updateButtons();
}

void MenuCodePage::setHistory(MenuCodeHistory* history) {
    history_ = history;
    view_->setHistory(history);
    refillList();
}

void MenuCodePage::refresh() {
    const int selected = selectedIndex();
    view_->refresh();
    refillList();
    selectIndex(selected);
}

void MenuCodePage::refillList() {
    const QSignalBlocker block(list_);
    list_->clear();
    if (history_) {
        for (const commands::PageItem& item : history_->entries()) {
            auto* row = new QTreeWidgetItem(list_);
            row->setText(0, ui::toQString(item.label));
            row->setText(1, commandShown(item.bytes));
            row->setToolTip(0, row->text(0));
        }
    }
    updateButtons();
}

int MenuCodePage::selectedIndex() const {
    const QList<QTreeWidgetItem*> rows = list_->selectedItems();
    return rows.isEmpty() ? -1 : list_->indexOfTopLevelItem(rows.front());
}

void MenuCodePage::selectIndex(int index) {
    if (index < 0 || index >= list_->topLevelItemCount()) {
        list_->clearSelection();
    } else {
        list_->setCurrentItem(list_->topLevelItem(index));
    }
    updateButtons();
}

void MenuCodePage::updateButtons() {
    const int index = selectedIndex();
    const int count = list_->topLevelItemCount();
    delete_->setEnabled(index >= 0);
    up_->setEnabled(index > 0);
    down_->setEnabled(index >= 0 && index + 1 < count);
}

void MenuCodePage::report(int status) {
    const auto result = static_cast<HistoryStatus>(status);
    if (result == HistoryStatus::Ok)
        return;
    ui::showMessage(this, QMessageBox::Information, ui::uiText(res::ids::Program),
                    ui::toQString(historyMessage(result)));
}

void MenuCodePage::deleteSelected() {
    const int index = selectedIndex();
    if (!history_ || index < 0)
        return;
    const HistoryStatus status = history_->removeEntry(static_cast<std::size_t>(index));
    view_->refresh();
    refillList();
    const int count = list_->topLevelItemCount();
    selectIndex(index < count ? index : count - 1);
    emit historyEdited();
    report(static_cast<int>(status));
}

void MenuCodePage::moveSelected(int step) {
    const int index = selectedIndex();
    const int other = index + step;
    if (!history_ || index < 0 || other < 0 || other >= list_->topLevelItemCount())
        return;
    const HistoryStatus status =
        history_->swapEntries(static_cast<std::size_t>(index), static_cast<std::size_t>(other));
    view_->refresh();
    refillList();
    selectIndex(other);
    emit historyEdited();
    report(static_cast<int>(status));
}

int MenuCodePage::pictureHeight() const {
    return split_->firstPaneSize();
}

void MenuCodePage::setPictureHeight(int height) {
    split_->setFirstPaneSize(height);
}

}  // namespace omni::menucode
