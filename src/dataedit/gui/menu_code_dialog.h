// A command shown as a QR menu code in a small modal dialog, for readers that are not connected:
// the operator reads the code with the reader and presses OK.
#pragma once

#include <string>
#include <string_view>

#include <QDialog>
#include <QImage>
#include <QStringList>

namespace omni::dataedit {

class MenuCodeDialog : public QDialog {
    Q_OBJECT
public:
    // `prompts` are shown above the code, one line each.
    MenuCodeDialog(const QString& title, const QStringList& prompts, std::string_view command,
                   QWidget* parent = nullptr);

    // The text the symbol holds (the menu envelope around the command's tokens); empty when
    // the command could not be made into a code.
    const std::string& envelope() const { return envelope_; }
    // The symbol as drawn, with its quiet zone.
    const QImage& symbol() const { return symbol_; }

private:
    std::string envelope_;
    QImage symbol_;
};

// Shows `command` as "Reading Menu Code" ("Read this menu code.") and waits for OK.
void showReadingMenuCode(std::string_view command, QWidget* parent);

}  // namespace omni::dataedit
