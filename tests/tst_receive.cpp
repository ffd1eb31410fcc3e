#include "testing.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>

using Store = QMap<QString, QStringList>;

namespace {

const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6));

// A diagnostic as the program writes it: items separated by one blank, texts quoted.
QString diagnostic(const char *label, const QString &text)
{
    QString line;
    QDebug(&line) << label << text;
    return line.trimmed();
}

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
    void workedExampleGivesItsDiagnosticsAndTable()
    {
        TestWindow w;
        DiagnosticsCapture diagnostics;
        w.window->receiveDelivery("DEVICE X-100\r\nSN 517\r\nGROUP#1 0.52\r\nGROUP#1 0.55\r\n"
                                  "GROUP#2 1.07\r\nEND\r\n");
        QCOMPARE(
            diagnostics.messages,
            QStringList({ "Readed:  69  bytes", "input:  \"DEVICE X-100\"", "input:  \"SN 517\"",
                          "input:  \"GROUP#1 0.52\"", "input:  \"GROUP#1 0.55\"",
                          "input:  \"GROUP#2 1.07\"", "input:  \"END\"", "\"END\"" }));
        QCOMPARE(tableText(w.widget<QTableWidget>("tableMeasurement")),
                 QStringList({ "GROUP#1|GROUP#2", "0.52|1.07", "0.55|-" }));
    }

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
            for (const QString &line : std::as_const(stream.lines))
                expected << diagnostic("input: ", line);
            QCOMPARE(inputs, expected);
            QCOMPARE(w.window->measurementStore(), stream.store);
            QStringList table { QStringList(stream.store.keys()).join(u'|') };
            for (int row = 0;; ++row) {
                QStringList cells;
                for (const QStringList &values : std::as_const(stream.store))
                    cells << (row < values.size() ? values.at(row) : "-");
                if (cells.count("-") == cells.size())
                    break;
                table << cells.join(u'|');
            }
            QCOMPARE(tableText(w.widget<QTableWidget>("tableMeasurement")), table);
            QCOMPARE(w.widget<QLabel>("lblDevice")->text(), stream.device);
            QCOMPARE(w.widget<QLabel>("lblZav")->text(), stream.serial);
            QVERIFY(w.widget<QDateTimeEdit>("dtmDate")->dateTime() != longAgo);
        }
    }

    void interpretsLinesByTheirMarkers()
    {
        TestWindow w;
        DiagnosticsCapture diagnostics;
        // Without a blank after the separator, the whole line is both name and value.
        w.window->receiveDelivery("GROUP 1.5 \nGROUP 1.5\nA GROUP#1\ngroup#1 1\nsn\nend\n");
        QCOMPARE(w.window->measurementStore(),
                 Store({ { "GROUP 1.5", { "", "GROUP 1.5" } }, { "A GROUP#1", { "A GROUP#1" } } }));
        // A line with several markers gets every effect, in the order device, serial, group, end.
        const QString line = QStringLiteral("DEVICE SN GROUP#1 0.5 END");
        w.window->receiveDelivery(line.toLatin1() + "\r\n");
        QCOMPARE(w.window->instrumentName(), line);
        QCOMPARE(w.window->instrumentSerialNumber(), line);
        QCOMPARE(w.window->measurementStore(), Store({ { "DEVICE SN GROUP#1", { "0.5 END" } } }));
        QCOMPARE(diagnostics.messages.last(), "\"END\"");
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

    void framerTakesTheTailAsALineOfItsOwn()
    {
        LineFramer framer;
        QCOMPARE(framer.feed("GROUP#1 0.5\r"), QList<QByteArray>());
        QCOMPARE(framer.takeTail(), std::optional<QByteArray>("GROUP#1 0.5"));
        QCOMPARE(framer.takeTail(), std::nullopt);
        // A late line feed finishes the taken line instead of adding an empty one; only the one
        // directly after it is swallowed.
        QCOMPARE(framer.feed(QByteArray("\0\nEND\n\n", 7)), QList<QByteArray>({ "END", "" }));
    }
};

QTEST_MAIN(ReceiveTest)
#include "tst_receive.moc"
