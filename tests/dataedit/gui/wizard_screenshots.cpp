// Not a test: scripts/dataedit-screenshots.sh runs it to save pictures of the data edit wizards'
// pages, the free line OCR setting and the GS1 easy setting in the current language.
//   dataedit_screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>

#include "dataedit/char_tables.h"
#include "dataedit/gui/data_edit_wizard.h"
#include "dataedit/gui/gs1_wizard.h"
#include "dataedit/gui/menu_code_dialog.h"
#include "dataedit/gui/multi_label_wizard.h"
#include "dataedit/gui/ocr_dialog.h"
#include "dataedit/gui/simple_pages.h"
#include "dataedit/gui/wizard_link.h"
#include "resources/strings.h"
#include "wizard_driver.h"

using namespace omni::dataedit;

namespace {

QString folder;
QString lang;

void save(QWidget& widget, const QString& name) {
    widget.show();
    QApplication::processEvents();
    widget.grab().save(folder + QLatin1Char('/') + name + QLatin1Char('-') + lang +
                       QStringLiteral(".png"));
}

void shootWizard(QWizard& wizard, const QString& prefix, const QStringList& pages) {
    wizard.resize(720, 500);
    wizard.show();
    QApplication::processEvents();
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            wizard.next();
        QApplication::processEvents();
        if (!pages[i].isEmpty())
            save(wizard, prefix + QLatin1Char('-') + pages[i]);
    }
}

// Accepts every menu-code dialog as it opens, after saving the first one.
void acceptMenuCodes(bool saveFirst) {
    omni::test::onModalNamed(
        QStringLiteral("menuCodeDialog"),
        [saveFirst](QWidget* modal) {
            if (saveFirst)
                save(*modal, QStringLiteral("reading-menu-code"));
            static_cast<QDialog*>(modal)->accept();
            acceptMenuCodes(false);
        },
        5000);
}

void shootSimpleWizards(WizardLink& link) {
    acceptMenuCodes(true);
    {
        SimpleWizard wizard(link, new GS1ConversionPage);
        shootWizard(wizard, QStringLiteral("wizard-gs1-conversion"),
                    {QStringLiteral("program"), QStringLiteral("page"), QStringLiteral("test")});
        QTest::qWait(100);
    }
    {
        SimpleWizard wizard(link, new BookCodePage);
        shootWizard(wizard, QStringLiteral("wizard-book-code"),
                    {QString(), QStringLiteral("page")});
    }
    {
        SimpleWizard wizard(link, new PickupPage);
        shootWizard(wizard, QStringLiteral("wizard-gs1-pickup"),
                    {QString(), QStringLiteral("page")});
    }
    {
        SimpleWizard wizard(link, new DirectInputPage);
        shootWizard(wizard, QStringLiteral("wizard-direct"), {QString(), QStringLiteral("page")});
    }
    {
        MultiLabelWizard wizard(link);
        shootWizard(wizard, QStringLiteral("wizard-multi-label"),
                    {QStringLiteral("labels"), QStringLiteral("output")});
    }
    QTest::qWait(100);
}

void shootGs1(WizardLink& link) {
    acceptMenuCodes(false);
    GS1Wizard wizard(link);
    wizard.resize(720, 520);
    wizard.show();
    QTest::qWait(100);
    save(wizard, QStringLiteral("gs1-start-empty"));
    emit link.received(QStringLiteral("010491234567890410ABC123 3103000150 17260930\r"));
    QApplication::processEvents();
    wizard.startPage()->outputButton()->click();
    QApplication::processEvents();
    save(wizard, QStringLiteral("gs1-start-forms"));
    wizard.startPage()->selectForm(GS1Form::User);
    wizard.next();
    QApplication::processEvents();
    save(wizard, QStringLiteral("gs1-user-settings"));
    {
        GS1OptionSheet sheet(wizard.options, false, &wizard);
        auto* tabs = sheet.findChild<QTabWidget*>();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            save(sheet, QStringLiteral("gs1-options-%1").arg(i + 1));
        }
    }
    {
        GS1HeaderDialog dialog(wizard.rows.at(1), wizard.options, &wizard);
        dialog.findChild<QComboBox*>(QStringLiteral("header1"))
            ->setCurrentIndex(CharRowOfName("["));
        dialog.findChild<QComboBox*>(QStringLiteral("terminator1"))->setCurrentIndex(30);
        save(dialog, QStringLiteral("gs1-header-terminator"));
    }
    static_cast<QDialog&>(wizard).done(QDialog::Rejected);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt's own buttons (Back, Next, Finish, Cancel) in the program's language, as main() does.
    QTranslator qtTexts;
    if (omni::res::currentLanguage() == omni::res::Language::Japanese &&
        qtTexts.load(QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    if (argc < 2)
        return 2;
    folder = QString::fromLocal8Bit(argv[1]);
    lang = qEnvironmentVariable("OMNISETUP_LANG", QStringLiteral("en"));
    QDir().mkpath(folder);
    WizardLink link(nullptr);
    shootSimpleWizards(link);
    {
        OcrDialog dialog(link);
        dialog.findChild<QComboBox*>(QStringLiteral("lineCount"))->setCurrentIndex(1);
        save(dialog, QStringLiteral("free-line-ocr"));
    }
    shootGs1(link);
    return 0;
}
