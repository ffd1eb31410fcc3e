#include "records/changefile.h"

#include "app/regularfile.h"
#include "records/grouporder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QIODevice>
#include <QTextStream>

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

bool writeChangeFile(QIODevice &device, const ChangeFileContent &content,
                     const ChangeFilePrefixes &prefixes)
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
        for (const QString &value : content.measurements.value(group))
            stream << separator << value;
        stream << lineEnd;
    }
    stream.flush();
    return stream.status() == QTextStream::Ok;
}

ChangeFileContent readChangeFile(QIODevice &device, const ChangeFilePrefixes &prefixes,
                                 ChangeFileReading *reading)
{
    const ChangeFilePrefixes plain = ChangeFilePrefixes::untranslated();
    QTextStream stream(&device);
    useLocaleEncoding(stream);

    ChangeFileContent content;
    // Past the end readLine() gives an empty text, which is what a short file's missing lines mean.
    content.object =
        stripChangeFilePrefix(stream.readLine(), prefixes.object, plain.object, objectPrefixLength);
    content.inspector = stripChangeFilePrefix(stream.readLine(), prefixes.inspector,
                                              plain.inspector, inspectorPrefixLength);
    content.dateTime = QDateTime::fromString(stream.readLine(), dateFormat);
    content.deviceName = stream.readLine();
    content.serialNumber = stream.readLine();

    QString line;
    while (stream.readLineInto(&line)) {
        if (reading) {
            if (reading->cancelled)
                break;
            reading->bytesRead = device.pos();
        }
        if (!line.contains(separator))
            continue;
        QStringList fields = line.split(separator);
        const QString name = fields.takeFirst();
        // A repeated name keeps only its last record.
        content.measurements.insert(name, fields);
    }
    return content;
}

ChangeFileLoad loadChangeFile(const QString &fileName, const ChangeFilePrefixes &prefixes,
                              ChangeFileReading *reading)
{
    ChangeFileLoad load;
    RegularFileContents file = readRegularFile(fileName, maxChangeFileBytes);
    switch (file.status) {
    case RegularFileContents::Read:
        // Text files hold no zero byte; a program, an image or a UTF-16 text would otherwise fill
        // the window with garbage.
        if (file.bytes.contains('\0')) {
            load.status = ChangeFileLoad::NotText;
        } else {
            QBuffer buffer(&file.bytes);
            buffer.open(QIODevice::ReadOnly);
            if (reading)
                reading->bytesInAll = file.bytes.size();
            load.content = readChangeFile(buffer, prefixes, reading);
            load.status =
                reading && reading->cancelled ? ChangeFileLoad::Cancelled : ChangeFileLoad::Read;
        }
        break;
    case RegularFileContents::NotRegular:
        load.status = ChangeFileLoad::NotRegular;
        break;
    case RegularFileContents::TooLarge:
        load.status = ChangeFileLoad::TooLarge;
        break;
    case RegularFileContents::NotFound:
    case RegularFileContents::Failed:
        load.status = ChangeFileLoad::Failed;
        load.systemError = file.systemError;
        break;
    }
    return load;
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

QString defaultChangeFileName(const QString &object, const QString &inspector,
                              const QString &displayedDate)
{
    QString name = object + QLatin1Char('_') + inspector + QLatin1Char('_') + displayedDate;
    // Path separators too: the name must stay a name inside the proposed folder.
    for (const char from : { ' ', '.', ':', '/', '\\' })
        name.replace(QLatin1Char(from), QLatin1Char('_'));
    return name;
}

QString withFileSuffix(const QString &name, const QString &suffix)
{
    return name.endsWith(suffix, Qt::CaseSensitive) ? name : name + suffix;
}
