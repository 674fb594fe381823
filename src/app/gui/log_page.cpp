#include "app/gui/log_page.h"

#include <cerrno>

#include <QFile>
#include <QFontDatabase>
#include <QPrinter>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocument>

#include "ui/exception.h"
#include "ui/gui/text.h"

namespace omni::app {
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
    throw SystemException(errnoOf(file), gui::toU16(name));
}

}  // namespace

LogPage::LogPage(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setObjectName(QStringLiteral("communicationLog"));
}

void LogPage::appendFile(const QString& path) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        fail(file, path);
    // A stateful decoder: a character split between two chunks is joined, not garbled.
    QStringDecoder decode(QStringDecoder::Utf8);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    QString pending;  // a carriage return at the end of a chunk, until the next one shows
                      // whether a line feed follows
    for (;;) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                fail(file, path);
            break;
        }
        QString text = pending + decode(chunk);
        pending.clear();
        if (text.endsWith(QLatin1Char('\r'))) {
            text.chop(1);
            pending = QStringLiteral("\r");
        }
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        cursor.insertText(text);
    }
    if (!pending.isEmpty())
        cursor.insertText(QStringLiteral("\n"));
    cursor.endEditBlock();
    moveCursor(QTextCursor::End);
}

void LogPage::saveTo(const QString& path) const {
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        fail(file, path);
    const QByteArray bytes = toPlainText().toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        fail(file, path);
}

void LogPage::printTo(QPrinter& printer) const {
    std::unique_ptr<QTextDocument> copy(document()->clone());
    copy->setDefaultFont(font());
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->print(&printer);
}

}  // namespace omni::app
