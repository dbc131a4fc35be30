#include "CodePage.h"

#include <QFile>
#include <QStringDecoder>

namespace CodePage {

QByteArray toNative(const QString &text)
{
    return QFile::encodeName(text);
}
QString fromNative(const QByteArray &bytes)
{
    // Not QFile::decodeName: that drops a byte order mark at the start, so a name or a value
    // that begins with U+FEFF would come back without it, and one that is nothing else empty.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

qsizetype charLength(const char *bytes, qsizetype size, qsizetype pos)
{
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    qsizetype len = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        len = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        len = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        len = 4;
    if (len == 1 || pos + len > size)
        return 1;
    for (qsizetype i = 1; i < len; ++i) {
        if ((static_cast<unsigned char>(bytes[pos + i]) & 0xC0) != 0x80)
            return 1;
    }
    return len;
}

void truncateToChars(QByteArray &bytes, qsizetype limit)
{
    if (bytes.size() <= limit)
        return;
    qsizetype cut = 0;
    while (cut < bytes.size()) {
        const qsizetype len = charLength(bytes.constData(), bytes.size(), cut);
        if (cut + len > limit)
            break;
        cut += len;
    }
    bytes.truncate(cut);
}

} // namespace CodePage
