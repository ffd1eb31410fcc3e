#include "protocol/localpaper.h"
#include "protocol/protocolpages.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>

// The paper a protocol is laid out on: the user's own where it is not printed, and the margins
// that keep it off the printer's edges.
class PaperTest : public QObject
{
    Q_OBJECT

private slots:
    // A locale of Letter paper made here, as no machine need have one, beside the C library's A4.
    void shouldTakeThePaperOfTheLocale()
    {
        QTemporaryDir locales;
        // The C library's tool warns of every category but the paper.
        QProcess::execute("sh",
                          { "-c",
                            "printf 'LC_PAPER\\nheight 279\\nwidth 216\\nEND LC_PAPER\\n' >$0/src "
                            "&& localedef -c -i $0/src $0/letter 2>/dev/null",
                            locales.path() });
        qputenv("LOCPATH", locales.path().toLocal8Bit());
        if (!std::setlocale(LC_PAPER, "letter"))
            QSKIP("no locale can be made here");
        const QPageSize letter = localePaper();
        std::setlocale(LC_PAPER, "C");
        QCOMPARE(QList<QPageSize::PageSizeId>({ letter.id(), localePaper().id() }),
                 QList<QPageSize::PageSizeId>({ QPageSize::Letter, QPageSize::A4 }));
    }

    // Upright, 15 mm from each edge or farther where the printer cannot print.
    void shouldKeepTheMarginsThePrinterNeeds()
    {
        const QPageLayout layout =
            ProtocolPages::pageLayoutFor(QPageSize(QPageSize::A4), QMarginsF(0, 50, 2, 60));
        const qreal margin = 15 / 25.4 * 72;
        QCOMPARE(layout.fullRect(QPageLayout::Millimeter).size(), QSizeF(210, 297));
        QCOMPARE(layout.margins(), QMarginsF(margin, 50, margin, 60));
    }
};

QTEST_GUILESS_MAIN(PaperTest)
#include "tst_paper.moc"
