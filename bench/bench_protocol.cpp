// Time to write a large control as a protocol (into a PDF and through the printer's engine) and
// as a spreadsheet. Prints figures; asserts nothing. Beside the wall time of the protocol stands
// the CPU time of the whole process (the worker that lays out and paints included), which other
// work on a shared machine does not inflate.

#include "bench/benchsupport.h"
#include "bench/figure.h"
#include "records/control.h"
#include "protocol/protocol.h"
#include "protocol/protocoljob.h"
#include "protocol/protocolpages.h"
#include "records/spreadsheet.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

QString protocolOf(const Control &content)
{
    return buildProtocol(content, content.dateTime.toString(QStringLiteral("dd.MM.yyyy hh:mm")));
}

double processCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The median wall and CPU times of several runs, in milliseconds.
struct Times
{
    double wall, cpu;
};
Times medianTimes(int runs, const std::function<void()> &work)
{
    QList<double> cpu;
    const double wall = medianMs(runs, [&] {
        const double start = processCpuMs();
        work();
        cpu << processCpuMs() - start;
    });
    std::sort(cpu.begin(), cpu.end());
    return { wall, cpu.at(runs / 2) };
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString printed = folder.filePath(QStringLiteral("printed.pdf"));

    struct Size
    {
        int groups, readings, runs;
        const char *name;
    };
    for (const Size size : { Size { 100, 100, 5, "10,000" }, Size { 1000, 100, 1, "100,000" } }) {
        const Control content = largeControl(size.groups, size.readings);
        int pages = 0;
        qsizetype pdfBytes = 0, sheetBytes = 0;
        const Times pdf = medianTimes(size.runs, [&] {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setPageLayout(ProtocolPages::pageLayoutFor(QPageSize(QPageSize::A4)));
            paintProtocol(nullptr, protocolOf(content), &writer, true);
            pdfBytes = bytes.size();
        });
        const Times print = medianTimes(size.runs, [&] {
            // The printer's own engine at its resolution, with a file in place of the queue.
            QPrinter printer(QPrinter::ScreenResolution);
            printer.setOutputFileName(printed);
            printer.setPageLayout(ProtocolPages::pageLayoutFor(QPageSize(QPageSize::A4)));
            paintProtocol(nullptr, protocolOf(content), &printer, false);
        });
        pages = ProtocolPages(protocolOf(content),
                              ProtocolPages::pageLayoutFor(QPageSize(QPageSize::A4)))
                    .pageCount();
        const double sheet = medianMs(size.runs, [&] {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QString error;
            writeSpreadsheet(buffer, content, &error);
            sheetBytes = bytes.size();
        });
        std::printf("%d groups x %d readings (%s): protocol of %d pages\n", size.groups,
                    size.readings, size.name, pages);
        std::printf("  protocol as PDF      %8.1f ms  %6.0f KiB  (CPU %.1f ms)\n", pdf.wall,
                    double(pdfBytes) / 1024, pdf.cpu);
        std::printf(
            "  protocol printed     %8.1f ms  (CPU %.1f ms; the printer's engine into a file)\n",
            print.wall, print.cpu);
        std::printf("  spreadsheet          %8.1f ms  %6.0f KiB\n", sheet,
                    double(sheetBytes) / 1024);
        const QByteArray readings(size.name);
        const bool small = size.groups == 100;
        printFigure(small ? "protocol_pdf_10k" : "protocol_pdf_100k", pdf.wall, "ms",
                    "Protocol of " + readings + " readings to PDF");
        printFigure(small ? "protocol_pdf_10k_cpu" : "protocol_pdf_100k_cpu", pdf.cpu, "ms",
                    "Protocol of " + readings + " readings to PDF, CPU");
        printFigure(small ? "protocol_print_10k" : "protocol_print_100k", print.wall, "ms",
                    "Protocol of " + readings + " readings printed");
        printFigure(small ? "protocol_print_10k_cpu" : "protocol_print_100k_cpu", print.cpu, "ms",
                    "Protocol of " + readings + " readings printed, CPU");
        printFigure(small ? "spreadsheet_10k" : "spreadsheet_100k", sheet, "ms",
                    "Spreadsheet of " + readings + " readings");
    }
    std::printf("(median of 5 runs for 10,000 readings, one run for 100,000)\n");
    return 0;
}
