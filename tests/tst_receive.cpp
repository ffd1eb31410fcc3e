#include "testing.h"

#include "records/grouporder.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>

using Store = Measurements;

namespace {

const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6));

// A random stream of transfers, built from the lines it is meant to carry, so that what the window
// shows can be compared with what was written rather than with the program's own result.
struct Stream
{
    QByteArray bytes; // in the instrument's code page, with zero bytes here and there
    QStringList lines; // each line as the program must see it
    Store store; // the groups of the last transfer
    QString device, serial;

    explicit Stream(QRandomGenerator &random)
    {
        const auto pick = [&](const QString &letters, int min, int max) {
            QString text;
            for (int i = random.bounded(min, max + 1); i > 0; --i)
                text += letters.at(random.bounded(int(letters.size())));
            return text;
        };
        // Lowercase, digits and Cyrillic never spell a marker.
        const QString plain = QStringLiteral("abcxyz0189.,-_ \tжзмм№ЁёЯ\r");
        for (int transfers = random.bounded(1, 4); transfers > 0; --transfers) {
            if (random.bounded(3) == 0)
                add(random, pick(plain, 0, 12));
            if (random.bounded(4) == 0) // a line as long as the framer keeps, or a little longer
                add(random, QString(LineFramer::maxTailBytes + random.bounded(-2, 3), u'x'));
            add(random, "DEVICE " + pick(plain, 0, 8));
            device = lines.last();
            add(random, "SN " + pick(plain, 1, 6));
            serial = lines.last();
            store.clear();
            for (int readings = random.bounded(0, 12); readings > 0; --readings) {
                const QString name = (random.bounded(4) ? "" : "x ") + QStringLiteral("GROUP#")
                    + pick(QStringLiteral("1234жz"), 1, 2);
                const QString value = pick(plain.chopped(1), 0, 6);
                store[name].append(value);
                add(random, name + ' ' + value);
            }
            add(random, QStringLiteral("END"));
        }
    }

    // Appends a line in either line end; the framer hands over what it holds at its bound as a
    // line of its own, and drops a carriage return only directly before a line feed.
    void add(QRandomGenerator &random, const QString &line)
    {
        static QTextCodec *const cp866 = QTextCodec::codecForName("CP866");
        const bool crlf = random.bounded(2);
        QByteArray written = cp866->fromUnicode(line) + (crlf ? "\r" : "");
        for (qsizetype from = 0; from < written.size() || from == 0;
             from += LineFramer::maxTailBytes) {
            QByteArray piece = written.mid(from, LineFramer::maxTailBytes);
            if (from + LineFramer::maxTailBytes >= written.size() && piece.endsWith('\r'))
                piece.chop(1);
            lines << cp866->toUnicode(piece);
        }
        written += '\n';
        for (int zeros = random.bounded(3); zeros > 0; --zeros)
            written.insert(random.bounded(written.size() + 1), '\0');
        bytes += written;
    }
};

} // namespace

// The receive path as the window runs it: deliveries of bytes in; diagnostics, labels, date,
// store and table out.
class ReceiveTest : public QObject
{
    Q_OBJECT

private slots:
    // Transfers with line noise, long lines, zero bytes and either line end, cut into random
    // deliveries, the last line sometimes without its line feed.
    void anySplitShowsTheLinesAsWritten()
    {
        QRandomGenerator random(20100517);
        for (int round = 0; round < 60; ++round) {
            Stream stream(random);
            if (random.bounded(2))
                stream.bytes.chop(1);
            TestWindow w;
            w.widget<QDateTimeEdit>("dtmDate")->setDateTime(longAgo);
            auto *quiet = w.window->findChild<QTimer *>(QStringLiteral("quietTimer"));
            quiet->setInterval(1);
            DiagnosticsCapture diagnostics;
            for (qsizetype from = 0, size; from < stream.bytes.size(); from += size) {
                size = random.bounded(random.bounded(8) ? 17 : 3000);
                w.window->receiveDelivery(stream.bytes.mid(from, size));
            }
            for (QDeadlineTimer deadline(5000); quiet->isActive() && !deadline.hasExpired();)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

            QStringList inputs;
            for (const QString &message : std::as_const(diagnostics.messages)) {
                if (message.startsWith(u"input:"))
                    inputs << message;
            }
            QStringList expected;
            for (const QString &line : std::as_const(stream.lines)) {
                QString text; // as the program writes it: items apart by a blank, texts quoted
                QDebug(&text) << "input: " << line;
                expected << text.trimmed();
            }
            QCOMPARE(inputs, expected);
            QCOMPARE(w.window->measurementStore(), stream.store);
            const QStringList groups = groupsInOrder(stream.store);
            QStringList table { groups.join(u'|') };
            for (int row = 0;; ++row) {
                QStringList cells;
                for (const QString &group : groups) {
                    const QStringList &values = *stream.store.find(group);
                    cells << (row < values.size() ? values.at(row) : "-");
                }
                if (cells.count("-") == cells.size())
                    break;
                table << cells.join(u'|');
            }
            QCOMPARE(tableText(w.widget<QTableView>("tableMeasurement")), table);
            QCOMPARE(w.widget<QLabel>("lblDevice")->text(), stream.device);
            QCOMPARE(w.widget<QLabel>("lblZav")->text(), stream.serial);
            QVERIFY(w.widget<QDateTimeEdit>("dtmDate")->dateTime() != longAgo);
        }
    }

    // A transfer cut off by the next one's serial-number line is kept with its own readings only,
    // and so is the next one, still arriving at Exit (which closes the window as the window
    // manager does).
    void cutOffTransfersAreKeptWithTheirOwnReadings()
    {
        QTemporaryDir folder;
        TestWindow w;
        w.window->setTransferArchiveFolder(folder.path());
        w.window->receiveDelivery(
            "DEVICE X\r\nSN 7\r\nGROUP#1 a\r\nGROUP#2 b\r\nGROUP#2 c\r\nSN 8\r\nGROUP#2 d");
        // In the program's own event loop, which Exit ends; a guard ends it otherwise.
        const QObject guard;
        QTimer::singleShot(20000, &guard, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, w.window.get(), [&w] { w.trigger("actionExit"); });
        QCOMPARE(QApplication::exec(), 0);
        QStringList files;
        for (const QFileInfo &file : QDir(folder.path()).entryInfoList(QDir::Files | QDir::Hidden))
            files << file.fileName().section(u'_', 2) + ' '
                    + QString::fromUtf8(readFile(file.filePath()))
                          .section("\r\n", 5)
                          .trimmed()
                          .replace("\r\n", " ");
        QCOMPARE(files,
                 QStringList(
                     { "SN-7_cut-off.csv GROUP#1;a GROUP#2;b;c", "SN-8_cut-off.csv GROUP#2;d" }));
    }

    // A line with several markers gets every effect, in the order device, serial, group, end.
    void lineWithSeveralMarkersGetsEveryEffectInOrder()
    {
        TestWindow w;
        const QString line = QStringLiteral("DEVICE SN GROUP#1 0.5 END");
        w.window->receiveDelivery("GROUP#0 old\n" + line.toLatin1() + "\r\n");
        QCOMPARE(w.window->instrumentName(), line);
        QCOMPARE(w.window->instrumentSerialNumber(), line);
        QCOMPARE(tableText(w.widget<QTableView>("tableMeasurement")),
                 QStringList({ "DEVICE SN GROUP#1", "0.5 END" }));
    }

    // Line noise often holds "SN" or "DEVICE"; a label that widened the window to such a line once
    // made it hundreds of thousands of pixels wide.
    void longDeviceAndSerialLinesLeaveTheWindowItsSize()
    {
        TestWindow w;
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        const int width = w.window->width();
        const QByteArray run(60000, 'x');
        w.window->receiveDelivery("DEVICE " + run + "\r\nSN " + run + "\r\n");
        QTest::qWait(50);
        QCOMPARE(w.window->width(), width);
        QVERIFY(w.window->minimumSize().width() <= width);
    }
};

QTEST_MAIN(ReceiveTest)
#include "tst_receive.moc"
