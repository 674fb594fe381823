#include "commands/gui/command_selector.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "commands/gui/command_list.h"
#include "commands/gui/command_tree.h"
#include "commands/resolve.h"
#include "commands/selector_model.h"
#include "resources/string_ids.h"
#include "ui/gui/icons.h"
#include "ui/gui/pane_splitter.h"
#include "ui/gui/text.h"

namespace omni::commands {
namespace {
constexpr int kMinTree = 60;
constexpr int kMinList = 60;

}  // namespace

CommandSelector::CommandSelector(EntryDialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("commandSelector"));
    pathLabel_ = new QLabel(this);
    pathLabel_->setObjectName(QStringLiteral("selectorPath"));
    pathLabel_->setTextFormat(Qt::PlainText);
    pathLabel_->setWordWrap(true);
    pathLabel_->setContentsMargins(4, 2, 4, 2);
    pathLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    send_ = bar->addAction(ui::icon(ui::IconId::Send), ui::uiText(res::ids::Send));
    send_->setToolTip(ui::uiText(res::ids::PickTip));
    send_->setObjectName(QStringLiteral("selectorSend"));
    connect(send_, &QAction::triggered, this, &CommandSelector::pickSelected);

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("catalogFilter"));
    filter_->setPlaceholderText(ui::uiText(res::ids::FilterHint));
    filter_->setToolTip(ui::uiText(res::ids::FilterTip));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);

    tree_ = new CommandTree(this);
    list_ = new CommandList(this);
    split_ = new ui::PaneSplitter(Qt::Vertical, this);
    split_->addWidget(tree_);
    split_->addWidget(list_);
    split_->setPaneLimits(kMinTree, QWIDGETSIZE_MAX, kMinList);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(filter_);
    layout->addWidget(pathLabel_);
    layout->addWidget(split_, 1);

    connect(tree_, &CommandTree::groupSelected, this, &CommandSelector::showGroup);
    connect(list_, &CommandList::entryActivated, this, &CommandSelector::pickSelected);
    connect(filter_, &QLineEdit::textChanged, tree_, &CommandTree::setFilter);
    tree_->fill(mode2D_);
}

bool CommandSelector::eventFilter(QObject* watched, QEvent* event) {
    // Escape in a filter box with text clears it, before the window's Escape shortcut.
    if (watched == filter_ && !filter_->text().isEmpty() &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            filter_->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CommandSelector::setMode2D(bool mode2D) {
    mode2D_ = mode2D;
    tree_->fill(mode2D_);
    tree_->setFilter(filter_->text());
    showGroup(nullptr);
}

int CommandSelector::treeHeight() const {
    return split_->firstPaneSize();
}

void CommandSelector::setTreeHeight(int height) {
    split_->setFirstPaneSize(height);
}

void CommandSelector::showGroup(const CatalogNode* group) {
    group_ = group;
    path_ = ui::toQString(groupPathText(group, mode2D_));
    pathLabel_->setText(path_);
    list_->showGroup(group);
}

bool CommandSelector::select(const CatalogNode* group, const CatalogEntry* entry) {
    return tree_->selectGroup(group) && list_->selectEntry(entry);
}

void CommandSelector::pickSelected() {
    const CatalogEntry* entry = list_->selectedEntry();
    if (!entry || !group_)
        return;
    pickedLabel_ = entryLabel(group_, *entry, mode2D_);
    const ResolveResult result = resolveEntry(*entry, mode2D_, dialogs_);
    switch (result.kind) {
        case ResolveResult::Kind::Nothing:
            return;
        case ResolveResult::Kind::Waveform:
            emit waveformRequested();
            return;
        case ResolveResult::Kind::Text:
            addResolved(result.text);
            return;
    }
}

void CommandSelector::addResolved(std::string_view text) {
    for (const PageItem& item : pageItemsFromString(text, pickedLabel_, mode2D_)) {
        emit itemPicked(item);
    }
}

}  // namespace omni::commands
