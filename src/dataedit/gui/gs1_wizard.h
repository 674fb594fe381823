// The GS1 easy setting: the operator scans a sample GS1 code, picks a ready output form or sets
// each AI up by hand, and the wizard stores the resulting data edit program in program 4.
//
// Page "Setting Start" sends the start program (the reader then ends each variable-length field
// with a space), listens for the sample and lists the ready forms with their previews; page
// "User Settings" lists the sample's AIs for switching on and off, reordering and headers and
// terminators.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QWizard>
#include <QWizardPage>

#include "dataedit/gs1.h"
#include "dataedit/gui/data_edit_wizard.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace omni::dataedit {

class WizardLink;
class GS1Wizard;

// The combo box items of the character table: the display text of every row, row 0 empty.
void fillCharacterBox(QComboBox* box);

class GS1StartPage : public QWizardPage {
    Q_OBJECT
public:
    explicit GS1StartPage(GS1Wizard& wizard);
    void initializePage() override;
    bool isComplete() const override;
    int nextId() const override;
    bool validatePage() override;

    // Back from the second page: sample and list cleared, listening again.
    void restart();
    // The chosen form, or nullopt when none is selected.
    std::optional<GS1Form> selectedForm() const;
    void selectForm(GS1Form form);

    QPlainTextEdit* sampleBox() const { return sample_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* outputButton() const { return output_; }
    QPushButton* optionButton() const { return options_; }
    QTreeWidget* formList() const { return forms_; }

private:
    void onReceived(const QString& text);
    void onClear();
    void onOutputToList();
    void onSelectionChanged();
    void onOptionSettings();
    void fillForms();

    GS1Wizard& wizard_;
    QPlainTextEdit* sample_;
    QPushButton* clear_;
    QPushButton* output_;
    QTreeWidget* forms_;
    QPushButton* options_;
    bool started_ = false;
};

class GS1UserPage : public QWizardPage {
    Q_OBJECT
public:
    explicit GS1UserPage(GS1Wizard& wizard);
    void initializePage() override;

    QTreeWidget* rowList() const { return rows_; }
    QPlainTextEdit* previewBox() const { return preview_; }
    // Moves the selected row up (-1) or down (+1); nothing at the ends.
    void moveSelected(int step);
    // The per-AI header and terminator dialog for the selected row.
    void editSelectedRow();
    void openOptions();

private:
    void fillRows();
    void refreshPreview();

    GS1Wizard& wizard_;
    QLineEdit* original_;
    QTreeWidget* rows_;
    QPlainTextEdit* preview_;
};

class GS1Wizard : public QWizard {
    Q_OBJECT
public:
    enum { StartPageId, UserPageId };

    explicit GS1Wizard(WizardLink& link, QWidget* parent = nullptr);

    // After Finish: the menu-code page with the stored command.
    std::optional<HandedPage> handedPage() const { return handed_; }
    // The store command of the last Finish (or the clearing command of Cancel).
    const std::string& command() const { return command_; }

    GS1StartPage* startPage() const { return start_; }
    GS1UserPage* userPage() const { return user_; }

    // The wizard's state, shared by its pages.
    WizardLink& link() { return link_; }
    QString sample;
    std::vector<GS1Row> rows;
    GS1Options options;
    bool customised = false;  // "Option settings" changed the ready form's options

    void accept() override;
    void reject() override;

    // Shows `command` as a QR menu code in "Prepare to use tool" or "Save Setting".
    void showPrepare(const std::string& command);
    void showSave(const std::string& command);

private:
    WizardLink& link_;
    GS1StartPage* start_;
    GS1UserPage* user_;
    std::string command_;
    std::optional<HandedPage> handed_;
};

// "Output option setting": the options on the pages "Application Identifier(AI)", "Data" and
// "Advanced Settings" (only "Data" for a ready form).
class GS1OptionSheet : public QDialog {
    Q_OBJECT
public:
    GS1OptionSheet(const GS1Options& options, bool dataPageOnly, QWidget* parent = nullptr);
    GS1Options options() const;

private:
    QWidget* buildAiPage();
    QWidget* buildDataPage();
    QWidget* buildAdvancedPage();

    GS1Options start_;
    bool dataOnly_;
    QTabWidget* tabs_;
    QCheckBox* outputAi_ = nullptr;
    QCheckBox* brackets_ = nullptr;
    QCheckBox* otherAis_ = nullptr;
    QCheckBox* suppressDd_ = nullptr;
    QCheckBox* decimal_ = nullptr;
    QCheckBox* aimId_ = nullptr;
    QCheckBox* between_ = nullptr;
    QComboBox* s1_ = nullptr;
    QComboBox* s2_ = nullptr;
    QCheckBox* after_ = nullptr;
    QComboBox* f1_ = nullptr;
    QComboBox* f2_ = nullptr;
    QCheckBox* delay_ = nullptr;
    QLineEdit* delayText_ = nullptr;
    QCheckBox* multi_ = nullptr;
    QComboBox* m1_ = nullptr;
    QComboBox* m2_ = nullptr;
    QCheckBox* code128_ = nullptr;
};

// "Data output setting for each Application Identifier": two headers and two terminators for
// one row, with the output they give.
class GS1HeaderDialog : public QDialog {
    Q_OBJECT
public:
    GS1HeaderDialog(const GS1Row& row, const GS1Options& options, QWidget* parent = nullptr);
    // The row with the chosen characters.
    GS1Row row() const;

private:
    void refresh();

    GS1Row row_;
    GS1Options options_;
    std::array<QComboBox*, 4> boxes_{};
    QLineEdit* image_;
};

}  // namespace omni::dataedit
