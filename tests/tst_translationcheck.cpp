#include "app/translationcheck.h"

#include <QtEndian>
#include <QtTest>

namespace {

QByteArray block(char tag, const QByteArray &data)
{
    char length[4];
    qToBigEndian<quint32>(quint32(data.size()), length);
    return tag + QByteArray(length, 4) + data;
}

const QByteArray magic("\x3c\xb8\x64\x18\xca\xef\x9c\x95\xcd\x21\x1c\xbf\x60\xa1\xbd\xdd");
// One hash entry whose message is at the start of the messages, and that message: the
// translation "A", then its end.
const QByteArray oneHash = block('\x42', QByteArray(8, '\0'));
const QByteArray message("\x03\0\0\0\x02\0A\x01", 8);

// Blocks after the magic number, then zero bytes, which a check that reads past a block would
// take for a short and sound field.
QByteArray translation(const QByteArray &blocks, const QByteArray &start = magic)
{
    return start + blocks + QByteArray(6, '\0');
}

} // namespace

// A compiled translation made byte by byte: each damage is one field that the toolkit's
// translator would follow out of the file.
class TranslationCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldRefuseEveryFieldThatReachesOutOfTheFile()
    {
        const QByteArray messages = block('\x69', message);
        const QByteArray chain("\0\x01\0\x01\0\0\x04Main\0", 12); // one bucket, one name
        const struct
        {
            const char *damage;
            QByteArray qm;
            bool sound;
        } cases[] = {
            { "intact", translation(oneHash + messages), true },
            { "obsolete field without a length",
              translation(oneHash + block('\x69', "\x05\xff\xff\xff\xff" + message)), true },
            { "chain of contexts", translation(block('\x2f', chain) + oneHash + messages), true },
            { "other magic number", translation(oneHash + messages, magic.chopped(1) + 'x'),
              false },
            { "block beyond the file",
              translation(oneHash + QByteArray("\x69\0\0\0\x0f", 5) + message), false },
            { "dependencies", translation(oneHash + messages + block('\x96', "other.qm")), false },
            { "message beyond its block",
              translation(block('\x42', QByteArray("\0\0\0\0\0\0\0\x09", 8)) + messages), false },
            { "hash entry cut short", translation(messages + block('\x42', QByteArray(12, '\0'))),
              false },
            { "length cut short", translation(oneHash + block('\x69', QByteArray("\x03\0\0", 3))),
              false },
            { "empty comment at the end",
              translation(oneHash + block('\x69', QByteArray("\x08\0\0\0\0", 5))), false },
            { "no context buckets",
              translation(block('\x2f', QByteArray(2, '\0')) + oneHash + messages), false },
            { "buckets beyond their block",
              translation(oneHash + messages + block('\x2f', QByteArray("\0\x02\0\0", 4))), false },
            { "context name without its end",
              translation(oneHash + messages + block('\x2f', chain.chopped(1))), false },
        };
        QStringList misjudged;
        for (const auto &[damage, qm, sound] : cases) {
            if (isSoundTranslation(qm) != sound)
                misjudged << damage;
        }
        QCOMPARE(misjudged, QStringList());
    }
};

QTEST_GUILESS_MAIN(TranslationCheckTest)
#include "tst_translationcheck.moc"
