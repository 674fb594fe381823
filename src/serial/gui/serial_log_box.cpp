#include "serial/gui/serial_log_box.h"

#include <algorithm>
#include <cerrno>

#include <QFile>
#include <QFontDialog>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QStackedLayout>
#include <QStringDecoder>
#include <QTextLayout>
#include <QTimer>

#include "foundation/atomic_file.h"
#include "foundation/exception.h"
#include "resources/string_ids.h"
#include "ui/gui/text.h"

namespace omni::serial {
namespace {

int errnoOf(const QFileDevice& file) {
    switch (file.error()) {
        case QFileDevice::OpenError:
            return errno != 0 ? errno : ENOENT;
        case QFileDevice::PermissionsError:
            return EACCES;
        case QFileDevice::ResourceError:
            return ENOSPC;
        default:
            return errno != 0 ? errno : EIO;
    }
}

[[noreturn]] void fail(const QFileDevice& file, const QString& name) {
    throw foundation::SystemException(errnoOf(file), ui::toU16(name));
}

}  // namespace

// Collects the chain's text on its writer thread and queues one delivery at a time.
class SerialLogBox::Sink : public stream::TextSink {
public:
    explicit Sink(SerialLogBox* box) : box_(box) {}

    void append(const char16_t* text, std::size_t count) override {
        // The chain ends every line with CR LF; the views keep lines apart with LF alone.
        QString run;
        run.reserve(static_cast<qsizetype>(count));
        for (std::size_t i = 0; i < count; ++i) {
            if (text[i] != u'\r')
                run.append(QChar(text[i]));
        }
        std::lock_guard lock(box_->pendingMutex_);
        QString& pending = box_->pending_;
        pending.append(run);
        if (pending.size() > kMaxPending) {
            qsizetype cut = pending.size() - kMaxPending;
            if (pending.at(cut).isLowSurrogate())
                ++cut;  // never split a character
            pending.remove(0, cut);
        }
    }

    void flush() override {
        {
            std::lock_guard lock(box_->pendingMutex_);
            if (box_->deliveryQueued_ || box_->pending_.isEmpty())
                return;
            box_->deliveryQueued_ = true;
        }
        SerialLogBox* box = box_;
        QMetaObject::invokeMethod(
            box, [box] { box->deliver(); }, Qt::QueuedConnection);
    }

private:
    SerialLogBox* box_;
};

SerialLogEditBox::SerialLogEditBox(bool wrapping, QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setLineWrapMode(wrapping ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(wrapping ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    setObjectName(wrapping ? QStringLiteral("SerialLogEditBoxWrapped")
                           : QStringLiteral("SerialLogEditBox"));
}

SerialLogBox::SerialLogBox(std::string keyPath, QWidget* parent)
    : QWidget(parent),
      keyPath_(std::move(keyPath)),
      property_(loadSerialLogProperty(keyPath_)),
      font_(fontFromRecord(property_.font)),
      wrap_(property_.wrap == 1),
      plain_(new SerialLogEditBox(false, this)),
      wrapping_(new SerialLogEditBox(true, this)),
      deliveryTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("SerialLogBox"));
    auto* layout = new QStackedLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plain_);
    layout->addWidget(wrapping_);
    layout->setCurrentWidget(visibleEdit());
    for (SerialLogEditBox* edit : {plain_, wrapping_})
        edit->setFont(font_);
    setFocusProxy(visibleEdit());

    deliveryTimer_->setSingleShot(true);
    connect(deliveryTimer_, &QTimer::timeout, this, &SerialLogBox::deliver);
    sinceDelivery_.start();

    setMaxLines(kDefaultMaxLines);
    sink_ = std::make_unique<Sink>(this);
    chain_ = std::make_unique<LogChain>();
    chain_->setSink(sink_.get());
}

SerialLogBox::~SerialLogBox() {
    chain_->setSink(nullptr);
    try {
        storeProperty();
    } catch (const foundation::Exception&) {
        // Nothing to report to once the pane is going; the next run starts from the defaults.
    }
}

void SerialLogBox::storeProperty() const {
    storeSerialLogProperty(keyPath_, property_);
}

void SerialLogBox::setWrap(bool wrap) {
    property_.wrap = wrap ? 1 : 0;
    if (wrap == wrap_)
        return;
    SerialLogEditBox* from = visibleEdit();
    SerialLogEditBox* to = edit(wrap);
    to->setPlainText(from->toPlainText());
    from->clear();
    wrap_ = wrap;
    static_cast<QStackedLayout*>(layout())->setCurrentWidget(to);
    setFocusProxy(to);
    to->moveCursor(QTextCursor::End);
    to->verticalScrollBar()->setValue(to->verticalScrollBar()->maximum());
    to->setFocus();
}

void SerialLogBox::setLogFont(const QFont& font) {
    property_.font = recordFromFont(font, property_.font);
    font_ = fontFromRecord(property_.font);
    for (SerialLogEditBox* edit : {plain_, wrapping_})
        edit->setFont(font_);
}

void SerialLogBox::chooseFont() {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, font_, this, QString(),
                             QFontDialog::MonospacedFonts | QFontDialog::ScalableFonts |
                                 QFontDialog::NonScalableFonts | QFontDialog::ProportionalFonts);
    if (ok)
        setLogFont(chosen);
}

void SerialLogBox::clear() {
    {
        std::lock_guard lock(pendingMutex_);
        pending_.clear();
    }
    plain_->clear();
    wrapping_->clear();
}

void SerialLogBox::appendText(const QString& text) {
    insertAtEnd(text);
}

void SerialLogBox::insertAtEnd(const QString& text) {
    if (text.isEmpty())
        return;
    SerialLogEditBox* edit = visibleEdit();
    QScrollBar* bar = edit->verticalScrollBar();
    const bool follow = bar->value() >= bar->maximum() - 1;
    QTextCursor end(edit->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    if (follow)
        bar->setValue(bar->maximum());
}

void SerialLogBox::setMaxLines(int lines) {
    lines = std::max(lines, 1);
    plain_->setMaximumBlockCount(lines);
    wrapping_->setMaximumBlockCount(lines);
}

void SerialLogBox::deliver() {
    const qint64 since = sinceDelivery_.elapsed();
    if (since < kDeliveryIntervalMs) {
        if (!deliveryTimer_->isActive())
            deliveryTimer_->start(static_cast<int>(kDeliveryIntervalMs - since));
        return;
    }
    deliverNow();
}

void SerialLogBox::deliverNow() {
    deliveryTimer_->stop();
    QString text;
    bool more = false;
    {
        std::lock_guard lock(pendingMutex_);
        if (pending_.size() <= kMaxDelivery) {
            text.swap(pending_);
        } else {
            // A backlog goes in slices, with the event loop running between them.
            qsizetype cut = kMaxDelivery;
            if (pending_.at(cut - 1).isHighSurrogate())
                --cut;
            text = pending_.left(cut);
            pending_.remove(0, cut);
            more = true;
        }
        deliveryQueued_ = more;
    }
    sinceDelivery_.restart();
    if (more)
        QTimer::singleShot(0, this, &SerialLogBox::deliverNow);
    if (text.isEmpty())
        return;
    insertAtEnd(text);
    emit textDelivered();
}

void SerialLogBox::deleteSelection() {
    QTextCursor cursor = visibleEdit()->textCursor();
    cursor.removeSelectedText();
}

void SerialLogBox::appendFile(const QString& path) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        fail(file, path);
    // A stateful decoder: a character split between two chunks is joined, not garbled.
    QStringDecoder decode(QStringDecoder::Utf8);
    QString pending;  // a CR at the end of a chunk, until the next shows whether LF follows
    QString text;
    for (;;) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                fail(file, path);
            break;
        }
        QString piece = pending + decode(chunk);
        pending.clear();
        if (piece.endsWith(QLatin1Char('\r'))) {
            piece.chop(1);
            pending = QStringLiteral("\r");
        }
        piece.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        piece.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text += piece;
    }
    if (!pending.isEmpty())
        text += QLatin1Char('\n');
    insertAtEnd(text);
    visibleEdit()->moveCursor(QTextCursor::End);
}

void SerialLogBox::saveTo(const QString& path) const {
    const QByteArray bytes = text().toUtf8();
    foundation::writeFileAtomically(path.toStdString(),
                                    std::string_view(bytes.constData(), bytes.size()));
}

void SerialLogBox::printTo(QPrinter& printer) const {
    printer.setDocName(QStringLiteral("SerialLog"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw foundation::UserException(foundation::UserException::Refused,
                                        ui::toU16(ui::uiText(res::ids::CannotPrint)));
    }
    // The painter's origin is the top left corner inside the page margins.
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal width = area.width();
    const qreal bottom = area.height();
    QFont font = font_;
    font.setPixelSize(std::max(1, qRound(printer.resolution() * 4 / 25.4)));
    painter.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    qreal y = 0;
    const QStringList lines = text().split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == lines.size() - 1 && lines[i].isEmpty())
            break;  // the line end of the last line starts no further line
        QTextLayout layout(lines[i], font, &printer);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout.endLayout();
        if (layout.lineCount() == 0)
            continue;
        if (y > 0 && y + height > bottom && height <= bottom) {
            printer.newPage();
            y = 0;
        }
        if (height <= bottom - y) {
            layout.draw(&painter, QPointF(0, y));
            y += height;
            continue;
        }
        // Taller than a page: break it between its printed lines.
        for (int n = 0; n < layout.lineCount(); ++n) {
            const QTextLine line = layout.lineAt(n);
            if (y > 0 && y + line.height() > bottom) {
                printer.newPage();
                y = 0;
            }
            line.draw(&painter, QPointF(0, y - line.y()));
            y += line.height();
        }
    }
    painter.end();
}

}  // namespace omni::serial
