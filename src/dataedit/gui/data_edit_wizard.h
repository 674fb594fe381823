// The data edit programming wizards' frame: the program-selection page, the test page, the page
// kind that builds scripts from a wizard's own choices, and the wizard that stores the scripts
// when its last page becomes active and hands a menu-code page to the main window on Finish.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include <QWizard>
#include <QWizardPage>

#include "dataedit/script_text.h"
#include "dataedit/stored_programs.h"
#include "dataedit/templates.h"

class QCheckBox;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace omni::dataedit {

class WizardLink;

// A menu-code page that a dialog hands to the main window when it closes.
struct HandedPage {
    enum class Kind { DataEdit, GS1Edit, FreeLineOcr };
    Kind kind = Kind::DataEdit;
    QString label;        // the label of the page's one entry
    std::string command;  // the entry's command
};

// The program slot the wizards store into: it lives for the whole run, starting at 1.
int CurrentProgram();
void SetCurrentProgram(int program);

// The program selection: "Program1" to "Program4" with the stored scripts beside them, read
// from the reader each time the page opens.
class ProgramPage : public QWizardPage {
    Q_OBJECT
public:
    ProgramPage(WizardLink& link, QWidget* parent = nullptr);
    void initializePage() override;
    bool isComplete() const override;
    bool validatePage() override;
    // Checks "Program1" (every time the page is shown).
    void checkFirstProgram();
    QLineEdit* scriptBox(int program, bool paste) const;

private:
    void showPrograms(const StoredPrograms& programs);

    WizardLink& link_;
    std::array<QRadioButton*, 4> radios_{};
    std::array<QLineEdit*, 8> boxes_{};
};

// A wizard's own page: its choices make a script pair, and only choices that do offer Next.
class ScriptPage : public QWizardPage {
    Q_OBJECT
public:
    // A page named `name` (for tests and style sheets) with the title of string `titleId`.
    ScriptPage(const char* name, std::uint32_t titleId, QWidget* parent);
    // The scripts the page's choices make, or what is wrong with them.
    virtual TemplateResult build() const = 0;
    bool isComplete() const override;
    // Leaving with Next builds the scripts.
    bool validatePage() override;

protected:
    // Call after every edit: re-evaluates the wizard's buttons.
    void changed() { emit completeChanged(); }
    // A text box for operator text (at most 32 characters) that re-evaluates on every edit.
    QLineEdit* textBox(const char* name);
    // The page's layout: its caption lines on top, then `body`.
    void setBody(const QStringList& captions, QLayout* body);
};

// The last page: what the reader outputs while the operator tries the setting, and whether a
// menu-code page is made.
class TestPage : public QWizardPage {
    Q_OBJECT
public:
    TestPage(WizardLink& link, QWidget* parent = nullptr);
    void initializePage() override;
    void cleanupPage() override;
    bool makeCode() const;
    QPlainTextEdit* outputBox() const { return output_; }

private:
    WizardLink& link_;
    QPlainTextEdit* output_;
    QCheckBox* makeCode_;
};

class DataEditWizard : public QWizard {
    Q_OBJECT
public:
    explicit DataEditWizard(WizardLink& link, QWidget* parent = nullptr);

    // The command stored by the last visit of the test page.
    const std::string& command() const { return command_; }
    // After Finish: the page to hand to the main window when "Make data edit programming
    // code." was ticked.
    std::optional<HandedPage> handedPage() const { return handed_; }
    TestPage* testPage() const { return test_; }
    // Called when the scripts are built (a script page or the multiple-label output is left).
    void setScripts(const ScriptPair& scripts) { scripts_ = scripts; }

    void accept() override;

protected:
    // Adds the test page last; the subclass adds its own pages first.
    void addTestPage();
    WizardLink& link() { return link_; }

private:
    void storeScripts();

    WizardLink& link_;
    TestPage* test_ = nullptr;
    ScriptPair scripts_;
    std::string command_;
    std::optional<HandedPage> handed_;
};

// The wizards with a program-selection page before their own page.
class SimpleWizard : public DataEditWizard {
    Q_OBJECT
public:
    SimpleWizard(WizardLink& link, ScriptPage* page, QWidget* parent = nullptr);
    ProgramPage* programPage() const { return programs_; }
    ScriptPage* scriptPage() const { return page_; }

private:
    ProgramPage* programs_;
    ScriptPage* page_;
};

}  // namespace omni::dataedit
