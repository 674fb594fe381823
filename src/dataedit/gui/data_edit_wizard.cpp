#include "dataedit/gui/data_edit_wizard.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "dataedit/gui/menu_code_dialog.h"
#include "dataedit/gui/page_widgets.h"
#include "dataedit/gui/wizard_link.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::dataedit {
namespace {

using ui::uiText;
namespace ids = res::ids;

int& programSlot() {
    static int program = kFirstProgram;
    return program;
}

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

int CurrentProgram() {
    return programSlot();
}

void SetCurrentProgram(int program) {
    if (program >= kFirstProgram && program <= kLastProgram)
        programSlot() = program;
}

// ---- program selection ----

ProgramPage::ProgramPage(WizardLink& link, QWidget* parent) : QWizardPage(parent), link_(link) {
    setObjectName(QStringLiteral("programPage"));
    setTitle(uiText(ids::DataEditSelectPageTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiText(ids::DataEditSelectCaption), this));
    layout->addSpacing(8);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    layout->addStretch(1);
    grid->addWidget(new QLabel(uiText(ids::DataEditCutScript), this), 0, 1);
    grid->addWidget(new QLabel(uiText(ids::DataEditPasteScript), this), 0, 2);
    for (int i = 0; i < 4; ++i) {
        radios_[i] = new QRadioButton(uiText(ids::DataEditProgramN).arg(i + 1), this);
        radios_[i]->setObjectName(QStringLiteral("program%1").arg(i + 1));
        grid->addWidget(radios_[i], i + 1, 0);
        for (int half = 0; half < 2; ++half) {
            auto* box = new QLineEdit(this);
            box->setReadOnly(true);
            box->setMinimumWidth(220);
            box->setObjectName(
                QStringLiteral("program%1%2").arg(i + 1).arg(half ? "Paste" : "Cut"));
            boxes_[i * 2 + half] = box;
            grid->addWidget(box, i + 1, half + 1);
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    connect(&link_, &WizardLink::programsRead, this, &ProgramPage::showPrograms);
}

void ProgramPage::initializePage() {
    checkFirstProgram();
    for (QLineEdit* box : boxes_)
        box->clear();
    link_.readPrograms();
    emit completeChanged();
}

void ProgramPage::checkFirstProgram() {
    radios_[0]->setChecked(true);
}

bool ProgramPage::isComplete() const {
    return !link_.reading();
}

bool ProgramPage::validatePage() {
    for (int i = 0; i < 4; ++i) {
        if (radios_[i]->isChecked())
            SetCurrentProgram(i + 1);
    }
    return true;
}

QLineEdit* ProgramPage::scriptBox(int program, bool paste) const {
    return boxes_.at(static_cast<std::size_t>((program - 1) * 2 + (paste ? 1 : 0)));
}

void ProgramPage::showPrograms(const StoredPrograms& programs) {
    for (int i = 0; i < 4; ++i) {
        boxes_[i * 2]->setText(latin1(programs.programs[i].cut));
        boxes_[i * 2 + 1]->setText(latin1(programs.programs[i].paste));
    }
    emit completeChanged();
}

// ---- a wizard's own page ----

ScriptPage::ScriptPage(const char* name, std::uint32_t titleId, QWidget* parent)
    : QWizardPage(parent) {
    setObjectName(QLatin1String(name));
    setTitle(uiText(titleId));
}

bool ScriptPage::isComplete() const {
    const TemplateResult result = build();
    return result.ok() && CheckStore(result.scripts, kFirstProgram) == StoreProblem::None;
}

bool ScriptPage::validatePage() {
    if (auto* owner = qobject_cast<DataEditWizard*>(wizard()))
        owner->setScripts(build().scripts);
    return true;
}

QLineEdit* ScriptPage::textBox(const char* name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(static_cast<int>(kMaxOperatorText));
    connect(box, &QLineEdit::textChanged, this, &ScriptPage::changed);
    return box;
}

void ScriptPage::setBody(const QStringList& captions, QLayout* body) {
    auto* layout = new QVBoxLayout(this);
    for (const QString& caption : captions)
        layout->addWidget(new QLabel(caption, this));
    if (!captions.isEmpty())
        layout->addSpacing(8);
    layout->addLayout(body);
    layout->addStretch(1);
}

// ---- the test page ----

TestPage::TestPage(WizardLink& link, QWidget* parent) : QWizardPage(parent), link_(link) {
    setObjectName(QStringLiteral("testPage"));
    setTitle(uiText(ids::DataEditTestPageTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(uiText(ids::DataEditTestCaption1), this));
    output_ = readOnlyBox<QPlainTextEdit>("testOutput", this);
    layout->addWidget(output_, 1);
    layout->addWidget(new QLabel(uiText(ids::DataEditTestCaption2), this));
    makeCode_ = new QCheckBox(uiText(ids::DataEditMakeCode), this);
    makeCode_->setObjectName(QStringLiteral("makeCode"));
    makeCode_->setChecked(true);
    layout->addWidget(makeCode_);
    connect(&link_, &WizardLink::received, this, [this](const QString& text) {
        output_->moveCursor(QTextCursor::End);
        output_->insertPlainText(text);
    });
}

void TestPage::initializePage() {
    output_->clear();
    link_.startListening();
}

void TestPage::cleanupPage() {
    link_.stopListening();
}

bool TestPage::makeCode() const {
    return makeCode_->isChecked();
}

// ---- the wizard ----

DataEditWizard::DataEditWizard(WizardLink& link, QWidget* parent) : QWizard(parent), link_(link) {
    setWindowTitle(uiText(ids::DataEditWizardTitle));
    setObjectName(QStringLiteral("dataEditWizard"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, true);
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (id >= 0 && page(id) == test_)
            storeScripts();
        if (auto* programs = qobject_cast<ProgramPage*>(page(id)))
            programs->checkFirstProgram();
    });
}

void DataEditWizard::addTestPage() {
    test_ = new TestPage(link_, this);
    addPage(test_);
}

void DataEditWizard::storeScripts() {
    command_ = ComposeStoreCommand(scripts_.cut, scripts_.paste, CurrentProgram());
    if (link_.isOpen()) {
        link_.send(command_, this);
        return;
    }
    // Shown once the page is up, so that the code appears over the page it belongs to.
    QTimer::singleShot(0, this, [this, command = command_] {
        if (isVisible())
            showReadingMenuCode(command, this);
    });
}

void DataEditWizard::accept() {
    link_.stopListening();
    if (link_.isOpen())
        link_.send("Z2", this);
    if (test_ && test_->makeCode()) {
        handed_ =
            HandedPage{HandedPage::Kind::DataEdit, uiText(res::ids::DataEditPageTitle), command_};
    }
    QWizard::accept();
}

SimpleWizard::SimpleWizard(WizardLink& link, ScriptPage* page, QWidget* parent)
    : DataEditWizard(link, parent), programs_(new ProgramPage(link, this)), page_(page) {
    addPage(programs_);
    addPage(page_);
    addTestPage();
}

}  // namespace omni::dataedit
