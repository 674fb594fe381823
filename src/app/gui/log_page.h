// The communication log page as a read-only text view. For now it shows text files opened into
// it; the reader's conversation will feed the same view.
#pragma once

#include <QPlainTextEdit>

class QPrinter;

namespace omni::app {

class LogPage : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr qint64 kChunkBytes = 32768;

    explicit LogPage(QWidget* parent = nullptr);

    // Appends the UTF-8 text of the file at `path`, read in chunks of kChunkBytes. Throws
    // SystemException when the file cannot be opened or read.
    void appendFile(const QString& path);

    // Writes the whole text as UTF-8. Throws SystemException when the file cannot be written.
    void saveTo(const QString& path) const;

    // Prints the text wrapped at the page width, with page breaks.
    void printTo(QPrinter& printer) const;
};

}  // namespace omni::app
