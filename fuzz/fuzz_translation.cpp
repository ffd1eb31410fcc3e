// Loads damaged translations. Whatever passes the program's check must load and translate every
// text of the program without reading outside the data.

#include "app/translationcheck.h"

#include <QFile>
#include <QTranslator>
#include <QXmlStreamReader>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// Every context and source text of the program, so that each lookup path of the file is followed.
std::vector<std::pair<QByteArray, QByteArray>> programTexts()
{
    std::vector<std::pair<QByteArray, QByteArray>> texts;
    QFile ts(QStringLiteral(PROGRAM_TRANSLATION_SOURCE));
    if (!ts.open(QIODevice::ReadOnly))
        std::abort();
    QXmlStreamReader xml(&ts);
    QByteArray context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText().toUtf8();
        else if (xml.name() == QLatin1String("source"))
            texts.emplace_back(context, xml.readElementText().toUtf8());
    }
    texts.emplace_back("NoSuchContext", "No such text");
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const auto texts = programTexts();
    // A copy of exactly the input's size, so that a read past its end is caught.
    const QByteArray qm(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!isSoundTranslation(qm))
        return 0;
    QTranslator translator;
    if (!translator.load(reinterpret_cast<const uchar *>(qm.constData()), int(qm.size())))
        return 0;
    for (const auto &[context, source] : texts) {
        translator.translate(context.constData(), source.constData());
        translator.translate(context.constData(), source.constData(), "", 2);
    }
    return 0;
}
