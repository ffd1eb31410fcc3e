#include "records/changefile.h"

#include "records/grouporder.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>
#include <cstring>

namespace {

const QString dateFormat = QStringLiteral("dd.MM.yyyy hh:mm:ss");
const QString lineEnd = QStringLiteral("\r\n");
const QChar separator = QLatin1Char(';');

// Files written under a translation whose prefixes have these lengths carry them; a prefix of
// another language that the program no longer knows is dropped by count.
constexpr qsizetype objectPrefixLength = 16;
constexpr qsizetype inspectorPrefixLength = 10;

const char objectPrefixText[] = QT_TRANSLATE_NOOP("MainWindow", "THE OBJECT OF CONTROL ");
const char inspectorPrefixText[] = QT_TRANSLATE_NOOP("MainWindow", "INSPECTOR ");

// The file names no encoding of its own: spreadsheet programs open a CSV file without a byte-order
// mark in the locale's code page, and so does the reader here.
void useLocaleEncoding(QTextStream &stream)
{
    stream.setEncoding(QStringConverter::System);
    stream.setGenerateByteOrderMark(false);
}

// The lines of a device's text, a block at a time, whatever ends them: CR LF, LF, CR alone, and
// CR CR LF (a CR LF text passed once more through a conversion that puts a CR before every LF)
// each end one line.
class LineReader
{
public:
    LineReader(QIODevice &from, ChangeFileEncoding encoding)
        : device(from)
        , windows1251(encoding == ChangeFileEncoding::Windows1251
                          ? QTextCodec::codecForName("windows-1251")
                          : nullptr)
    { }

    // False past the end, with the line left empty.
    bool readInto(QString *line)
    {
        qsizetype end = -1;
        for (;;) {
            end = indexOfLineEnd(searchFrom);
            // A CR may begin a longer line end that the next block completes.
            if (end >= 0 && (bytes.at(end) == '\n' || end + 2 < bytes.size() || atEnd))
                break;
            if (atEnd)
                break;
            searchFrom = end >= 0 ? end : bytes.size();
            readBlock();
        }
        if (end < 0 && start == bytes.size()) {
            line->clear();
            return false;
        }
        const qsizetype lineStop = end >= 0 ? end : bytes.size();
        decodeInto(QByteArrayView(bytes).sliced(start, lineStop - start), line);
        start = end >= 0 ? end + lineEndLength(end) : bytes.size();
        searchFrom = start;
        return true;
    }

    QString next()
    {
        QString line;
        readInto(&line);
        return line;
    }

private:
    static constexpr qint64 blockBytes = 1 << 20;

    qsizetype indexOfLineEnd(qsizetype from) const
    {
        const char *const begin = bytes.constData();
        const char *const end = begin + bytes.size();
        for (const char *at = begin + from; at < end; ++at) {
            if (*at == '\n' || *at == '\r')
                return at - begin;
        }
        return -1;
    }

    qsizetype lineEndLength(qsizetype end) const
    {
        const QByteArrayView rest = QByteArrayView(bytes).sliced(end);
        if (rest.startsWith("\r\r\n"))
            return 3;
        return rest.startsWith("\r\n") ? 2 : 1;
    }

    // The buffer and the line keep their memory from line to line: a fresh allocation for each
    // of a few long lines costs more than reading them.
    void readBlock()
    {
        const qsizetype kept = bytes.size() - start;
        std::memmove(bytes.data(), bytes.constData() + start, size_t(kept));
        searchFrom -= start;
        start = 0;
        bytes.resize(kept + blockBytes);
        const qint64 got = device.read(bytes.data() + kept, blockBytes);
        bytes.resize(kept + std::max<qint64>(got, 0));
        atEnd = got <= 0;
    }

    void decodeInto(QByteArrayView text, QString *line)
    {
        if (windows1251) {
            *line = windows1251->toUnicode(text.constData(), int(text.size()));
            return;
        }
        // A spreadsheet program saves UTF-8 text with a byte-order mark before the first line.
        if (first && text.startsWith("\xEF\xBB\xBF"))
            text = text.sliced(3);
        first = false;
        // The system's encoding is UTF-8 on Linux. A UTF-8 text never has more characters than
        // bytes.
        line->resize(text.size());
        const QChar *end = utf8.appendToBuffer(line->data(), text);
        line->truncate(end - line->constData());
    }

    QIODevice &device;
    QStringDecoder utf8 { QStringDecoder::Utf8, QStringDecoder::Flag::Stateless };
    QTextCodec *windows1251;
    QByteArray bytes;
    qsizetype start = 0;
    qsizetype searchFrom = 0;
    bool atEnd = false;
    bool first = true;
};

} // namespace

ChangeFilePrefixes ChangeFilePrefixes::current()
{
    return { QCoreApplication::translate("MainWindow", objectPrefixText),
             QCoreApplication::translate("MainWindow", inspectorPrefixText) };
}

ChangeFilePrefixes ChangeFilePrefixes::untranslated()
{
    return { QString::fromLatin1(objectPrefixText), QString::fromLatin1(inspectorPrefixText) };
}

bool writeChangeFile(QIODevice &device, const Control &content, const ChangeFilePrefixes &prefixes)
{
    QTextStream stream(&device);
    useLocaleEncoding(stream);
    stream << prefixes.object << content.object << lineEnd;
    stream << prefixes.inspector << content.inspector << lineEnd;
    stream << content.dateTime.toString(dateFormat) << lineEnd;
    stream << content.deviceName << lineEnd;
    stream << content.serialNumber << lineEnd;
    for (const QString &group : groupsInOrder(content.measurements)) {
        stream << group;
        for (const QStringView value : content.measurements.value(group))
            stream << separator << value;
        stream << lineEnd;
    }
    stream.flush();
    return stream.status() == QTextStream::Ok;
}

Control readChangeFile(QIODevice &device, const ChangeFilePrefixes &prefixes,
                       const ChangeFileProgress &progress, ChangeFileEncoding encoding)
{
    const ChangeFilePrefixes plain = ChangeFilePrefixes::untranslated();
    LineReader lines(device, encoding);

    Control content;
    // Past the end a line is empty, which is what a short file's missing lines mean.
    content.object =
        stripChangeFilePrefix(lines.next(), prefixes.object, plain.object, objectPrefixLength);
    content.inspector = stripChangeFilePrefix(lines.next(), prefixes.inspector, plain.inspector,
                                              inspectorPrefixLength);
    content.dateTime = QDateTime::fromString(lines.next(), dateFormat);
    content.deviceName = lines.next();
    content.serialNumber = lines.next();

    QString line;
    while (lines.readInto(&line)) {
        if (progress && !progress(device.pos()))
            break;
        const qsizetype nameEnd = line.indexOf(separator);
        if (nameEnd < 0)
            continue;
        Readings readings;
        for (const QStringView value : QStringView(line).sliced(nameEnd + 1).tokenize(separator))
            readings.append(value);
        // A repeated name keeps only its last record.
        content.measurements.insert(line.left(nameEnd), readings);
    }
    return content;
}

QString stripChangeFilePrefix(const QString &line, const QString &prefixInUse,
                              const QString &untranslatedPrefix, qsizetype fixedCount)
{
    if (!prefixInUse.isEmpty() && line.startsWith(prefixInUse))
        return line.mid(prefixInUse.size());
    if (line.startsWith(untranslatedPrefix))
        return line.mid(untranslatedPrefix.size());
    return line.size() > fixedCount ? line.mid(fixedCount) : QString();
}
