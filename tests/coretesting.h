#pragma once

// What the tests of the core share: the fixtures under tests/data, a working directory of the
// test's own, files as bytes, and the protocol as a PDF's text.

#include "protocol/protocol.h"
#include "protocol/protocolpages.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

// A fixture's path under tests/data.
inline QString testData(const QString &name)
{
    return QStringLiteral(TOLVAREN_TEST_DATA "/") + name;
}

// An empty working directory of its own while it exists, where the program looks for its files.
struct WorkingDirectory
{
    WorkingDirectory() { QDir::setCurrent(folder.path()); }
    ~WorkingDirectory() { QDir::setCurrent(previous); }
    Q_DISABLE_COPY(WorkingDirectory)

    QTemporaryDir folder;
    QString previous = QDir::currentPath();
};

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The lines of a text file, such as a fixture's expected output.
inline QStringList textLines(const QString &path)
{
    return QString::fromUtf8(readFile(path)).split(u'\n', Qt::SkipEmptyParts);
}

// What a tool no one here wrote prints, in lines, or apart by the given separator.
inline QStringList runTool(const QString &program, const QStringList &arguments,
                           QChar separator = u'\n')
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(program, arguments);
    tool.waitForFinished();
    return QString::fromUtf8(tool.readAllStandardOutput()).split(separator, Qt::SkipEmptyParts);
}

// The text of each page of a PDF, which ends in a form feed.
inline QStringList pdfPages(const QString &pdf)
{
    return runTool("pdftotext", { pdf, "-" }, u'\f');
}

// The pages of the protocol of this control painted on A4 into a PDF; none when it could not be.
inline QStringList protocolPdfPages(const Control &control)
{
    QTemporaryDir folder;
    {
        const QPageLayout layout = ProtocolPages::pageLayoutFor(QPageSize(QPageSize::A4));
        QPdfWriter writer(folder.filePath("protocol.pdf"));
        writer.setPageLayout(layout);
        ProtocolPages pages(buildProtocol(control, {}), layout);
        QPainter painter(&writer);
        if (!pages.paint(painter, &writer))
            return {};
    }
    return pdfPages(folder.filePath("protocol.pdf"));
}
