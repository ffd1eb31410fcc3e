#include "device/instrumenttext.h"

#include <QTextCodec>

QString decodeInstrumentText(const QByteArray &bytes)
{
    static QTextCodec *const codec = QTextCodec::codecForName("CP866");
    Q_ASSERT(codec);
    return codec->toUnicode(bytes);
}
