// Page "User Settings" of the GS1 easy setting, the option sheet and the per-AI header and
// terminator dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dataedit/char_tables.h"
#include "dataedit/gui/gs1_wizard.h"
#include "dataedit/gui/page_widgets.h"
#include "resources/string_ids.h"
#include "ui/gui/dialog_buttons.h"
#include "ui/gui/icons.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::dataedit {
namespace {

using ui::uiText;
namespace ids = res::ids;

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The string table writes line breaks of captions as "\n".
QString caption(std::uint32_t id) {
    return uiText(id).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

QToolButton* moveButton(QWidget* parent, ui::IconId icon, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(ui::icon(icon));
    button->setIconSize(QSize(24, 24));
    return button;
}

}  // namespace

// ---- "User Settings" ----

GS1UserPage::GS1UserPage(GS1Wizard& wizard) : QWizardPage(&wizard), wizard_(wizard) {
    setObjectName(QStringLiteral("gs1UserPage"));
    setTitle(uiText(ids::Gs1PageUser));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiText(ids::Gs1OriginalData), this));
    original_ = readOnlyBox<QLineEdit>("originalData", this);
    layout->addWidget(original_);

    layout->addWidget(new QLabel(uiText(ids::Gs1DataDetails), this));
    auto* listRow = new QHBoxLayout;
    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("rowList"));
    rows_->setRootIsDecorated(false);
    rows_->setHeaderLabels({uiText(ids::Gs1ColumnOutput), uiText(ids::Gs1ColumnAi),
                            uiText(ids::Gs1ColumnData1), uiText(ids::Gs1ColumnData2),
                            uiText(ids::Gs1ColumnData3), uiText(ids::Gs1ColumnType)});
    rows_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    listRow->addWidget(rows_, 1);

    auto* side = new QVBoxLayout;
    auto* moveCaption = new QLabel(caption(ids::Gs1MoveCaption1), this);
    moveCaption->setAlignment(Qt::AlignCenter);
    side->addWidget(moveCaption);
    auto* up = moveButton(this, ui::IconId::MoveUp, "moveUp");
    auto* down = moveButton(this, ui::IconId::MoveDown, "moveDown");
    auto* arrows = new QHBoxLayout;
    arrows->addWidget(up);
    arrows->addWidget(down);
    side->addLayout(arrows);
    auto* orderCaption = new QLabel(caption(ids::Gs1MoveCaption2), this);
    orderCaption->setAlignment(Qt::AlignCenter);
    side->addWidget(orderCaption);
    side->addSpacing(12);
    auto* header =
        addSideButton(side, caption(ids::Gs1HeaderTerminatorTitle), "headerTerminator", this);
    auto* parameters =
        addSideButton(side, caption(ids::Gs1ParameterSetting), "parameterSetting", this);
    side->addStretch(1);
    listRow->addLayout(side);
    layout->addLayout(listRow, 1);

    layout->addWidget(new QLabel(uiText(ids::Gs1ConvertedImage), this));
    preview_ = readOnlyBox<QPlainTextEdit>("preview", this);
    preview_->setMaximumHeight(64);
    layout->addWidget(preview_);

    connect(up, &QToolButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QToolButton::clicked, this, [this] { moveSelected(1); });
    connect(header, &QPushButton::clicked, this, &GS1UserPage::editSelectedRow);
    connect(parameters, &QPushButton::clicked, this, &GS1UserPage::openOptions);
    connect(rows_, &QTreeWidget::itemActivated, this, [this] { editSelectedRow(); });
    connect(rows_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        const int index = rows_->indexOfTopLevelItem(item);
        if (column != 0 || index < 0 || index >= static_cast<int>(wizard_.rows.size()))
            return;
        wizard_.rows[index].output = item->checkState(0) == Qt::Checked;
        refreshPreview();
    });
}

void GS1UserPage::initializePage() {
    original_->setText(wizard_.sample.trimmed());
    fillRows();
    if (rows_->topLevelItemCount() > 0)
        rows_->setCurrentItem(rows_->topLevelItem(0));
}

void GS1UserPage::fillRows() {
    const QSignalBlocker block(rows_);
    rows_->clear();
    for (const GS1Row& row : wizard_.rows) {
        auto* item = new QTreeWidgetItem(rows_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.output ? Qt::Checked : Qt::Unchecked);
        item->setText(1, latin1(row.ai));
        for (std::size_t p = 0; p < 3; ++p)
            item->setText(static_cast<int>(p) + 2,
                          p < row.partCount ? latin1(row.parts[p]) : QString());
        item->setText(5, uiText(row.variable ? ids::Gs1TypeVariable : ids::Gs1TypeFixed));
    }
    refreshPreview();
}

void GS1UserPage::refreshPreview() {
    preview_->setPlainText(latin1(GS1Preview(wizard_.options, wizard_.rows)));
}

void GS1UserPage::moveSelected(int step) {
    const int from = rows_->indexOfTopLevelItem(rows_->currentItem());
    const int to = from + step;
    if (from < 0 || to < 0 || to >= static_cast<int>(wizard_.rows.size()))
        return;
    std::swap(wizard_.rows[from], wizard_.rows[to]);
    fillRows();
    rows_->setCurrentItem(rows_->topLevelItem(to));
}

void GS1UserPage::editSelectedRow() {
    const int index = rows_->indexOfTopLevelItem(rows_->currentItem());
    if (index < 0 || rows_->selectedItems().isEmpty()) {
        ui::showMessage(this, QMessageBox::Information, uiText(ids::Gs1HeaderTerminatorTitle),
                        uiText(ids::Gs1SelectRow));
        return;
    }
    GS1HeaderDialog dialog(wizard_.rows[index], wizard_.options, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    wizard_.rows[index] = dialog.row();
    refreshPreview();
}

void GS1UserPage::openOptions() {
    GS1OptionSheet sheet(wizard_.options, false, this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    wizard_.options = sheet.options();
    refreshPreview();
}

// ---- "Output option setting" ----

GS1OptionSheet::GS1OptionSheet(const GS1Options& options, bool dataPageOnly, QWidget* parent)
    : QDialog(parent), start_(options), dataOnly_(dataPageOnly) {
    setObjectName(QStringLiteral("gs1OptionSheet"));
    setWindowTitle(uiText(ids::Gs1OptionSheetTitle));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    if (!dataOnly_)
        tabs_->addTab(buildAiPage(), uiText(ids::Gs1OptionPageAi));
    tabs_->addTab(buildDataPage(), uiText(ids::Gs1OptionPageData));
    if (!dataOnly_)
        tabs_->addTab(buildAdvancedPage(), uiText(ids::Gs1OptionPageAdvanced));
    layout->addWidget(tabs_);
    ui::addOkCancel(this, layout);
}

namespace {

QCheckBox* optionBox(QWidget* parent, std::uint32_t id, const char* name, bool checked) {
    auto* box =
        new QCheckBox(uiText(id).replace(QStringLiteral("\\n"), QStringLiteral("\n")), parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

QComboBox* charBox(QWidget* parent, const char* name, std::size_t row) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    fillCharacterBox(box);
    box->setCurrentIndex(static_cast<int>(row));
    return box;
}

}  // namespace

QWidget* GS1OptionSheet::buildAiPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    outputAi_ = optionBox(page, ids::Gs1OptOutputAi, "outputAi", start_.outputAi);
    brackets_ = optionBox(page, ids::Gs1OptAiBrackets, "aiBrackets", start_.aiInBrackets);
    otherAis_ = optionBox(page, ids::Gs1OptOtherAis, "otherAis", start_.outputOtherAis);
    layout->addWidget(outputAi_);
    auto* indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(brackets_);
    layout->addLayout(indented);
    layout->addWidget(otherAis_);
    layout->addStretch(1);
    enableWhileChecked(outputAi_, {brackets_});
    return page;
}

QWidget* GS1OptionSheet::buildDataPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    int r = 0;
    suppressDd_ = optionBox(page, ids::Gs1OptSuppressDd, "suppressDd", start_.suppressDd);
    decimal_ = optionBox(page, ids::Gs1OptDecimalPoint, "decimalPoint", start_.decimalPoint);
    aimId_ = optionBox(page, ids::Gs1OptAimId, "aimId", start_.aimId);
    for (QCheckBox* box : {suppressDd_, decimal_, aimId_})
        grid->addWidget(box, r++, 0, 1, 3);
    const auto pair = [&](QCheckBox* box, QComboBox* a, QComboBox* b) {
        grid->addWidget(box, r, 0);
        grid->addWidget(a, r, 1);
        grid->addWidget(b, r, 2);
        enableWhileChecked(box, {a, b});
        ++r;
    };
    between_ = optionBox(page, ids::Gs1OptBetween, "between", start_.between);
    s1_ = charBox(page, "s1", start_.s1);
    s2_ = charBox(page, "s2", start_.s2);
    pair(between_, s1_, s2_);
    auto* note = new QLabel(uiText(ids::Gs1OptBetweenNote), page);
    note->setIndent(20);
    grid->addWidget(note, r++, 0, 1, 3);
    after_ = optionBox(page, ids::Gs1OptAfterVariable, "afterVariable", start_.afterVariable);
    f1_ = charBox(page, "f1", start_.f1);
    f2_ = charBox(page, "f2", start_.f2);
    pair(after_, f1_, f2_);
    multi_ = optionBox(page, ids::Gs1OptMultiSeparator, "multiSeparator", start_.multiSeparator);
    m1_ = charBox(page, "m1", start_.m1);
    m2_ = charBox(page, "m2", start_.m2);
    pair(multi_, m1_, m2_);
    delay_ = optionBox(page, ids::Gs1OptDelay, "delay", start_.delay);
    delayText_ = new QLineEdit(QString::number(start_.delayMs), page);
    delayText_->setObjectName(QStringLiteral("delayMs"));
    delayText_->setMaxLength(4);
    grid->addWidget(delay_, r, 0);
    grid->addWidget(delayText_, r, 1);
    grid->addWidget(new QLabel(uiText(ids::Gs1OptDelayRange), page), r++, 2);
    enableWhileChecked(delay_, {delayText_});
    grid->setRowStretch(r, 1);
    return page;
}

QWidget* GS1OptionSheet::buildAdvancedPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    code128_ = optionBox(page, ids::Gs1OptCode128, "code128OnError", start_.code128OnError);
    layout->addWidget(code128_);
    layout->addStretch(1);
    return page;
}

GS1Options GS1OptionSheet::options() const {
    GS1Options o = start_;
    if (outputAi_) {
        o.outputAi = outputAi_->isChecked();
        o.aiInBrackets = brackets_->isChecked();
        o.outputOtherAis = otherAis_->isChecked();
    }
    o.suppressDd = suppressDd_->isChecked();
    o.decimalPoint = decimal_->isChecked();
    o.aimId = aimId_->isChecked();
    o.between = between_->isChecked();
    o.s1 = static_cast<std::size_t>(s1_->currentIndex());
    o.s2 = static_cast<std::size_t>(s2_->currentIndex());
    o.afterVariable = after_->isChecked();
    o.f1 = static_cast<std::size_t>(f1_->currentIndex());
    o.f2 = static_cast<std::size_t>(f2_->currentIndex());
    o.multiSeparator = multi_->isChecked();
    o.m1 = static_cast<std::size_t>(m1_->currentIndex());
    o.m2 = static_cast<std::size_t>(m2_->currentIndex());
    o.delay = delay_->isChecked();
    o.delayMs = ParseDelayText(delayText_->text().toStdString());
    if (code128_)
        o.code128OnError = code128_->isChecked();
    return o;
}

// ---- "Data output setting for each Application Identifier" ----

GS1HeaderDialog::GS1HeaderDialog(const GS1Row& row, const GS1Options& options, QWidget* parent)
    : QDialog(parent), row_(row), options_(options) {
    setObjectName(QStringLiteral("gs1HeaderDialog"));
    setWindowTitle(uiText(ids::Gs1HeaderDialogTitle));
    options_.userSetting = true;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiText(ids::Gs1HeaderCaption), this));
    auto* grid = new QGridLayout;
    const std::uint32_t captions[] = {ids::Gs1Header1, ids::Gs1Header2, ids::Gs1Terminator1,
                                      ids::Gs1Terminator2};
    const std::string* fields[] = {&row_.header1, &row_.header2, &row_.terminator1,
                                   &row_.terminator2};
    const char* names[] = {"header1", "header2", "terminator1", "terminator2"};
    QString data;
    for (std::size_t p = 0; p < row_.partCount; ++p)
        data += latin1(row_.parts[p]);
    auto* dataBox = new QLineEdit(QStringLiteral("(%1) %2").arg(latin1(row_.ai), data), this);
    dataBox->setReadOnly(true);
    dataBox->setMinimumWidth(dataBox->fontMetrics().horizontalAdvance(dataBox->text()) + 24);
    for (int i = 0; i < 4; ++i) {
        const std::size_t current =
            IsSlotSet(*fields[i]) ? CharRowOfEscape(*fields[i]) : std::size_t{0};
        boxes_[i] = charBox(this, names[i], current);
        connect(boxes_[i], &QComboBox::currentIndexChanged, this, &GS1HeaderDialog::refresh);
    }
    grid->addWidget(new QLabel(uiText(captions[0]), this), 0, 0);
    grid->addWidget(new QLabel(uiText(captions[1]), this), 0, 1);
    grid->addWidget(new QLabel(uiText(captions[2]), this), 0, 3);
    grid->addWidget(new QLabel(uiText(captions[3]), this), 0, 4);
    grid->addWidget(boxes_[0], 1, 0);
    grid->addWidget(boxes_[1], 1, 1);
    grid->addWidget(dataBox, 1, 2);
    grid->addWidget(boxes_[2], 1, 3);
    grid->addWidget(boxes_[3], 1, 4);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    auto* imageGroup = new QGroupBox(uiText(ids::Gs1OutputOfImage), this);
    auto* imageLayout = new QVBoxLayout(imageGroup);
    image_ = readOnlyBox<QLineEdit>("outputImage", imageGroup);
    imageLayout->addWidget(image_);
    layout->addWidget(imageGroup);
    ui::addOkCancel(this, layout);
    refresh();
}

GS1Row GS1HeaderDialog::row() const {
    GS1Row row = row_;
    std::string* fields[] = {&row.header1, &row.header2, &row.terminator1, &row.terminator2};
    for (int i = 0; i < 4; ++i)
        *fields[i] =
            std::string(CharRowAt(static_cast<std::size_t>(boxes_[i]->currentIndex())).escape);
    return row;
}

void GS1HeaderDialog::refresh() {
    GS1Row shown = row();
    shown.output = true;
    image_->setText(latin1(GS1Preview(options_, std::span<const GS1Row>(&shown, 1))));
}

}  // namespace omni::dataedit
