#include "dataedit/gui/gs1_wizard.h"

#include <memory>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dataedit/char_tables.h"
#include "dataedit/gui/menu_code_dialog.h"
#include "dataedit/gui/page_widgets.h"
#include "dataedit/gui/wizard_link.h"
#include "resources/string_ids.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::dataedit {
namespace {

using ui::uiText;
namespace ids = res::ids;

constexpr int kFormRole = Qt::UserRole + 1;

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void fillCharacterBox(QComboBox* box) {
    for (std::size_t row = 0; row < kCharRowCount; ++row)
        box->addItem(latin1(CharDisplayText(row)));
    box->setMaxVisibleItems(16);
}

// ---- "Setting Start" ----

GS1StartPage::GS1StartPage(GS1Wizard& wizard) : QWizardPage(&wizard), wizard_(wizard) {
    setObjectName(QStringLiteral("gs1StartPage"));
    setTitle(uiText(ids::Gs1PageStart));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiText(ids::Gs1ReadSample), this));
    auto* sampleRow = new QHBoxLayout;
    sample_ = readOnlyBox<QPlainTextEdit>("sample", this);
    sample_->setMaximumHeight(72);
    sampleRow->addWidget(sample_, 1);
    auto* sampleButtons = new QVBoxLayout;
    clear_ = addSideButton(sampleButtons, uiText(ids::Gs1Clear), "clear", this);
    output_ = addSideButton(sampleButtons, uiText(ids::Gs1OutputToList), "outputToList", this);
    sampleButtons->addStretch(1);
    sampleRow->addLayout(sampleButtons);
    layout->addLayout(sampleRow);

    layout->addWidget(new QLabel(uiText(ids::Gs1SelectForm), this));
    forms_ = new QTreeWidget(this);
    forms_->setObjectName(QStringLiteral("formList"));
    forms_->setRootIsDecorated(false);
    forms_->setHeaderLabels({uiText(ids::Gs1ColumnForm), uiText(ids::Gs1ColumnImage)});
    forms_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(forms_, 1);
    auto* optionRow = new QHBoxLayout;
    optionRow->addStretch(1);
    options_ = addSideButton(optionRow, uiText(ids::Gs1OptionSettings), "optionSettings", this);
    layout->addLayout(optionRow);

    connect(&wizard_.link(), &WizardLink::received, this, &GS1StartPage::onReceived);
    connect(clear_, &QPushButton::clicked, this, &GS1StartPage::onClear);
    connect(output_, &QPushButton::clicked, this, &GS1StartPage::onOutputToList);
    connect(forms_, &QTreeWidget::itemSelectionChanged, this, &GS1StartPage::onSelectionChanged);
    connect(options_, &QPushButton::clicked, this, &GS1StartPage::onOptionSettings);
}

void GS1StartPage::initializePage() {
    sample_->clear();
    forms_->clear();
    wizard_.rows.clear();
    wizard_.sample.clear();
    wizard_.customised = false;
    clear_->setEnabled(false);
    output_->setEnabled(false);
    options_->setEnabled(false);
    if (!started_) {
        // The first time the page opens the reader gets the start program; afterwards it still
        // holds it.
        started_ = true;
        const bool open = wizard_.link().isOpen();
        const std::string command = GS1StartCommand(!open);
        if (open) {
            wizard_.link().send(command, this);
        } else {
            QTimer::singleShot(0, &wizard_, [this, command] {
                if (wizard_.isVisible())
                    wizard_.showPrepare(command);
            });
        }
    }
    wizard_.link().startListening();
    emit completeChanged();
}

void GS1StartPage::restart() {
    initializePage();
}

void GS1StartPage::onReceived(const QString& text) {
    if (wizard_.currentPage() != this || !wizard_.rows.empty())
        return;
    // A reader in ACK mode acknowledges the start program: the ACK and NAK bytes are its answers,
    // not part of a scan, and would show as blank boxes.
    QString scan = text;
    scan.remove(QChar(0x06)).remove(QChar(0x15));
    if (scan.isEmpty())
        return;
    QString all = sample_->toPlainText() + scan;
    all.truncate(static_cast<qsizetype>(kMaxGS1Sample));
    sample_->setPlainText(all);
    output_->setEnabled(!all.isEmpty());
}

void GS1StartPage::onClear() {
    initializePage();
    clear_->setEnabled(true);
}

void GS1StartPage::onOutputToList() {
    // Each scan ends with a CR; the last one is the sample (anything the reader sent before it,
    // such as the answer to an earlier command, is not).
    const QStringList scans = sample_->toPlainText().split(
        QRegularExpression(QStringLiteral("[\r\n]")), Qt::SkipEmptyParts);
    wizard_.sample = scans.isEmpty() ? QString() : scans.back();
    const QByteArray bytes = wizard_.sample.toLatin1();
    GS1Parse parse =
        ParseGS1Sample(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (parse.rows.empty()) {
        emit completeChanged();
        return;
    }
    wizard_.rows = std::move(parse.rows);
    wizard_.link().stopListening();
    clear_->setEnabled(true);
    output_->setEnabled(false);
    fillForms();
    selectForm(GS1Form::Brackets);
    emit completeChanged();
}

void GS1StartPage::fillForms() {
    forms_->clear();
    const struct {
        GS1Form form;
        std::uint32_t name;
    } forms[] = {{GS1Form::Brackets, ids::Gs1FormBrackets},
                 {GS1Form::Separated, ids::Gs1FormSeparated},
                 {GS1Form::Fnc1, ids::Gs1FormFnc1},
                 {GS1Form::User, ids::Gs1FormUser}};
    for (const auto& f : forms) {
        const QString image = f.form == GS1Form::User
                                  ? uiText(ids::Gs1FormUserImage)
                                  : latin1(GS1Preview(ReadyFormOptions(f.form), wizard_.rows));
        auto* item = new QTreeWidgetItem(forms_, {uiText(f.name), image});
        item->setData(0, kFormRole, static_cast<int>(f.form));
    }
}

std::optional<GS1Form> GS1StartPage::selectedForm() const {
    const QList<QTreeWidgetItem*> selected = forms_->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return static_cast<GS1Form>(selected.front()->data(0, kFormRole).toInt());
}

void GS1StartPage::selectForm(GS1Form form) {
    for (int i = 0; i < forms_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = forms_->topLevelItem(i);
        if (item->data(0, kFormRole).toInt() == static_cast<int>(form))
            forms_->setCurrentItem(item);
    }
}

void GS1StartPage::onSelectionChanged() {
    const std::optional<GS1Form> form = selectedForm();
    options_->setEnabled(form && *form != GS1Form::User);
    // A ready form starts from its own options unless the operator has customised them.
    if (form && *form != GS1Form::User && !wizard_.customised)
        wizard_.options = ReadyFormOptions(*form);
    // A ready form finishes here, the user setting goes on: the wizard asks again.
    setFinalPage(form && *form != GS1Form::User);
    emit completeChanged();
}

void GS1StartPage::onOptionSettings() {
    const std::optional<GS1Form> form = selectedForm();
    if (!form || *form == GS1Form::User)
        return;
    GS1OptionSheet sheet(wizard_.customised ? wizard_.options : ReadyFormOptions(*form), true,
                         this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    wizard_.options = sheet.options();
    wizard_.customised = true;
}

bool GS1StartPage::isComplete() const {
    return !wizard_.rows.empty() && selectedForm().has_value();
}

int GS1StartPage::nextId() const {
    const std::optional<GS1Form> form = selectedForm();
    return form == GS1Form::User ? GS1Wizard::UserPageId : -1;
}

bool GS1StartPage::validatePage() {
    if (selectedForm() != GS1Form::User)
        return true;
    // The user setting starts from its defaults with no separator characters.
    GS1Options options = ReadyFormOptions(GS1Form::User);
    options.s1 = options.s2 = options.f1 = options.f2 = options.m1 = options.m2 = 0;
    options.userSetting = true;
    wizard_.options = options;
    return true;
}

// ---- the wizard ----

GS1Wizard::GS1Wizard(WizardLink& link, QWidget* parent) : QWizard(parent), link_(link) {
    setObjectName(QStringLiteral("gs1Wizard"));
    setWindowTitle(uiText(ids::DataEditWizardTitle));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, true);
    start_ = new GS1StartPage(*this);
    user_ = new GS1UserPage(*this);
    setPage(StartPageId, start_);
    setPage(UserPageId, user_);
    setStartId(StartPageId);
    connect(this, &QWizard::currentIdChanged, this,
            [this, last = std::make_shared<int>(-1)](int id) {
                // Back from "User Settings": the sample is taken again.
                if (id == StartPageId && *last == UserPageId)
                    start_->restart();
                *last = id;
            });
    resize(640, 480);
}

void GS1Wizard::showPrepare(const std::string& command) {
    MenuCodeDialog dialog(uiText(ids::Gs1PrepareTitle),
                          {uiText(ids::Gs1ReadDisplayCode), uiText(ids::Gs1PreparePrompt)}, command,
                          this);
    dialog.exec();
}

void GS1Wizard::showSave(const std::string& command) {
    MenuCodeDialog dialog(uiText(ids::Gs1SaveTitle),
                          {uiText(ids::Gs1ReadDisplayCode), uiText(ids::Gs1SavePrompt)}, command,
                          this);
    dialog.exec();
}

void GS1Wizard::accept() {
    if (!validateCurrentPage())
        return;
    const bool open = link_.isOpen();
    bool readyForm = false;
    if (currentId() == StartPageId) {
        const std::optional<GS1Form> form = start_->selectedForm();
        if (!form || rows.empty())
            return;
        if (!customised)
            options = ReadyFormOptions(*form);
        readyForm = true;
    }
    const ScriptPair scripts = BuildGS1Scripts(options, rows);
    command_ = GS1StoreCommand(scripts, readyForm && !open);
    if (open) {
        link_.send(command_, this);
    } else {
        showSave(command_);
    }
    handed_ = HandedPage{HandedPage::Kind::GS1Edit, uiText(ids::Gs1PageTitle),
                         GS1StoreCommand(scripts, false)};
    link_.stopListening();
    QWizard::accept();
}

void GS1Wizard::reject() {
    ui::showMessage(this, QMessageBox::Information, uiText(ids::Gs1EndTitle),
                    uiText(ids::Gs1NotSaved));
    command_ = GS1CancelCommand();
    if (link_.isOpen()) {
        link_.send(command_, this);
    } else {
        showSave(command_);
    }
    link_.stopListening();
    QWizard::reject();
}

}  // namespace omni::dataedit
