#include "ValueReaders.h"

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= u' ';
}

int digitValue(QChar c, bool hex)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (hex && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (hex && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

std::optional<qint32> StrToInt(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    const bool hex = i < n && text[i] == u'$';
    if (hex)
        ++i;
    if (i == n)
        return std::nullopt;

    // Checked after every digit, so any run of leading zeros is fine and nothing overflows.
    const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    quint64 magnitude = 0;
    for (; i < n; ++i) {
        const int digit = digitValue(text[i], hex);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * (hex ? 16 : 10) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    // Two's complement throughout, so that hex bit patterns wrap as the framework's do.
    quint32 bits = quint32(magnitude);
    if (negative)
        bits = 0u - bits;
    return qint32(bits);
}

QStringList CommaTextSplit(const QString &text)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString item;
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(text[i]) && text[i] != u',')
                ++i;
            item = text.mid(start, i - start);
        }
        items.append(item);
        skipBlanks();
        if (i < n && text[i] == u',') {
            ++i;
            skipBlanks();
        }
    }
    return items;
}
