#include "coretesting.h"
#include "records/changefileload.h"
#include "records/savename.h"

#include <QBuffer>
#include <QtTest>

#include <sys/stat.h>

namespace {

const ChangeFilePrefixes english = ChangeFilePrefixes::untranslated();
const ChangeFilePrefixes russian { QStringLiteral("ОБЪЕКТ КОНТРОЛЯ "),
                                   QStringLiteral("ИНСПЕКТОР ") };

// What a file reads as, in the words of the .ref files: the encoding, the five header fields
// (the date in ISO form) and each group with its readings, apart by "|".
QString described(const ChangeFileLoad &load)
{
    if (load.status != ChangeFileLoad::Read)
        return load.refusalReason() + '\n';
    const Control &read = load.content;
    QStringList lines { load.encoding == ChangeFileEncoding::System ? "UTF-8" : "Windows-1251" };
    lines << read.object << read.inspector << read.dateTime.toString(Qt::ISODate) << read.deviceName
          << read.serialNumber;
    for (auto group = read.measurements.begin(); group != read.measurements.end(); ++group) {
        lines << group.key();
        for (const auto &reading : *group)
            lines.last().append(u'|').append(reading);
    }
    return lines.join(u'\n') + '\n';
}

QByteArray written(const Control &control, const ChangeFilePrefixes &prefixes)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeChangeFile(buffer, control, prefixes) ? buffer.data() : "<failed>";
}

} // namespace

// The file of changes: what files written by hand, by the earlier Windows program and by
// spreadsheet programs read as, what is written, and which files are refused.
class ChangeFileTest : public QObject
{
    Q_OBJECT

private slots:
    // Each file reads as its .ref file says, whichever language's prefixes are in use.
    void shouldReadEachFileAsItsReferenceSays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inRussian");
        for (const QString &file : QDir(testData("changefile")).entryList({ "*.csv" })) {
            for (const bool inRussian : { false, true })
                QTest::addRow("%s in %s", qPrintable(file), inRussian ? "Russian" : "English")
                    << file.chopped(4) << inRussian;
        }
    }
    void shouldReadEachFileAsItsReferenceSays()
    {
        QFETCH(QString, name);
        QFETCH(bool, inRussian);
        const ChangeFileLoad load =
            loadChangeFile(testData("changefile/" + name + ".csv"), inRussian ? russian : english);
        QCOMPARE(described(load),
                 QString::fromUtf8(readFile(testData("changefile/" + name + ".ref"))));
    }

    // Written back, a file written by the program is the same file; a failing device says so.
    void shouldWriteWhatItReads()
    {
        const QString path = testData("changefile/written.csv");
        QCOMPARE(written(loadChangeFile(path, russian).content, english), readFile(path));
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY(!writeChangeFile(full, loadChangeFile(path).content));
    }

    // A line end that the reader's blocks of a mebibyte cut in two.
    void shouldFindALineEndThatABlockCuts()
    {
        QByteArray large = "THE OBJECT OF CONTROL ";
        large += QByteArray((1 << 20) - 2 - large.size(), 'x') + "\r\r\nINSPECTOR Team 2";
        QBuffer file(&large);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(readChangeFile(file, english).inspector, "Team 2");
    }

    // Nothing blocks on a FIFO, and no file takes all memory.
    void shouldRefuseAFifoAndAFileTooLarge()
    {
        WorkingDirectory here;
        QVERIFY(::mkfifo("fifo", 0644) == 0 && writeFile("large", {})
                && QFile::resize("large", maxChangeFileBytes + 1));
        QCOMPARE(QList({ loadChangeFile("fifo").status, loadChangeFile("large").status }),
                 QList({ ChangeFileLoad::NotRegular, ChangeFileLoad::TooLarge }));
    }

    void shouldProposeANameThatStaysInItsFolder()
    {
        QCOMPARE(defaultChangeFileName("Pipe 12.3", "A:B", "05.12.2026 14:03"),
                 "Pipe_12_3_A_B_05_12_2026_14_03");
        QCOMPARE(defaultChangeFileName("../a\\b", "", "5/12/26"), "___a_b__5_12_26");
    }
};

QTEST_GUILESS_MAIN(ChangeFileTest)
#include "tst_changefile.moc"
