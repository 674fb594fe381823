// The communication log pane: two text views of the same log, one without wrapping (both scroll
// bars) and one that wraps (vertical scroll bar only), of which exactly one is shown; the log
// font and wrap flag stored as "SerialLogProperty"; the font dialog; printing.
//
// The pane owns the log chain. Whatever the reader sends is fed into chain() by the port's
// receive thread; the chain's writer thread hands the text to the pane's sink, which only
// collects it and queues one delivery to the user-interface thread. Each delivery appends
// everything collected so far in one insertion, at most every kDeliveryIntervalMs, so a reader
// that sends without pause costs the user-interface thread a few insertions per second and never
// makes the receive thread wait for it. A backlog larger than kMaxDelivery is inserted in slices
// with the event loop running between them.
//
// Threads: everything but chain() and the sink belongs to the user-interface thread. Whatever
// feeds the chain must stop before the pane goes.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QWidget>

#include "serial/gui/log_property.h"
#include "stream/log_chain.h"

class QPrinter;
class QTimer;

namespace omni::serial {

using LogChain = stream::BufferedDeSynchronizedEditBoxOutputStream<8192>;

// One of the pane's two views: read-only text the operator can select and copy.
class SerialLogEditBox : public QPlainTextEdit {
    Q_OBJECT
public:
    SerialLogEditBox(bool wrapping, QWidget* parent = nullptr);
    bool wrapping() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }
};

class SerialLogBox : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 kChunkBytes = 32768;
    static constexpr int kDeliveryIntervalMs = 40;
    // The most text one insertion takes; more waits for the next turn of the event loop.
    static constexpr qsizetype kMaxDelivery = 32 * 1024;
    // Lines the views keep by default; older lines are dropped from the views (a log being
    // written to a file keeps everything).
    static constexpr int kDefaultMaxLines = 100000;
    // The most text held between the chain and the views while the user-interface thread is
    // busy; beyond it the oldest text goes, as the views would drop it anyway.
    static constexpr qsizetype kMaxPending = 4 * 1024 * 1024;

    // Reads "SerialLogProperty" under `keyPath`.
    explicit SerialLogBox(std::string keyPath, QWidget* parent = nullptr);
    // Writes the record (errors are not reported from a destructor) and detaches the sink.
    ~SerialLogBox() override;

    // The chain that turns received bytes and echoed commands into log text.
    LogChain& chain() { return *chain_; }

    SerialLogEditBox* visibleEdit() const { return wrap_ ? wrapping_ : plain_; }
    SerialLogEditBox* edit(bool wrapping) const { return wrapping ? wrapping_ : plain_; }

    bool wrap() const { return wrap_; }
    // Moves the whole text into the other view, shows it with the caret at the end and the
    // last line in sight, gives it the focus and stores the flag.
    void setWrap(bool wrap);

    QFont logFont() const { return font_; }
    // Sets the font on both views and stores it in the record.
    void setLogFont(const QFont& font);
    // The font dialog, starting from the current font. Cancelling keeps the font.
    void chooseFont();

    const SerialLogProperty& property() const { return property_; }
    // Writes "SerialLogProperty". Throws SystemException when it cannot be written.
    void storeProperty() const;

    // The most lines the views keep (at least 1); the oldest lines go first.
    void setMaxLines(int lines);
    int maxLines() const { return plain_->maximumBlockCount(); }
    // Text collected from the chain and not yet in the views.
    qsizetype pendingSize() {
        std::lock_guard lock(pendingMutex_);
        return pending_.size();
    }

    QString text() const { return visibleEdit()->toPlainText(); }
    void clear();
    // Appends text at the end of the log (user-interface thread), "\n" between lines.
    void appendText(const QString& text);
    // Hands over at once whatever the chain has delivered but the timer still holds back.
    void deliverNow();

    // Appends the UTF-8 text of the file at `path`, read in chunks of kChunkBytes. Throws
    // SystemException when the file cannot be opened or read.
    void appendFile(const QString& path);
    // Writes the whole text as UTF-8, lines ending in LF. Throws SystemException when the file
    // cannot be written.
    void saveTo(const QString& path) const;
    // Prints the visible view's text as document "SerialLog": each line wrapped at the page
    // width in the log font 4 mm high, a line that would cross the bottom margin starting a new
    // page. Throws UserException when the printer cannot start.
    void printTo(QPrinter& printer) const;

    void copy() { visibleEdit()->copy(); }
    void selectAll() { visibleEdit()->selectAll(); }
    // Removes the selected text.
    void deleteSelection();

signals:
    // Text from the chain has been appended.
    void textDelivered();

private:
    class Sink;
    void deliver();
    void insertAtEnd(const QString& text);

    std::string keyPath_;
    SerialLogProperty property_;
    QFont font_;
    bool wrap_ = false;
    SerialLogEditBox* plain_;
    SerialLogEditBox* wrapping_;
    QTimer* deliveryTimer_;
    QElapsedTimer sinceDelivery_;

    std::mutex pendingMutex_;  // guards the two below, shared with the writer thread
    QString pending_;
    bool deliveryQueued_ = false;

    std::unique_ptr<Sink> sink_;
    std::unique_ptr<LogChain> chain_;  // last: its writer thread stops first
};

}  // namespace omni::serial
