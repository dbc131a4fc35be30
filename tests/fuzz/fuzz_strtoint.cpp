// StrToInt against the rule its header states, worked out another way (by counting digits),
// and the round trip of every 32-bit value through the forms the settings file holds.
#include "FuzzCheck.h"
#include "FuzzText.h"
#include "ValueReaders.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

int digitOf(QChar c, bool hex)
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

std::optional<qint32> expectedValue(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].unicode() <= u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    const bool hex = i < text.size() && text[i] == u'$';
    if (hex)
        ++i;
    const QString digits = text.mid(i);
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits) {
        if (digitOf(c, hex) < 0)
            return std::nullopt;
    }
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == u'0')
        ++first;
    const QString significant = digits.mid(first);
    if (significant.size() > (hex ? 8 : 10))
        return std::nullopt;
    quint64 magnitude = 0;
    for (QChar c : significant)
        magnitude = magnitude * (hex ? 16 : 10) + quint64(digitOf(c, hex));
    if (hex) {
        const auto bits = quint32(magnitude);
        return qint32(negative ? 0u - bits : bits);
    }
    if (negative)
        return magnitude <= 2147483648ull ? std::optional<qint32>(qint32(-qint64(magnitude)))
                                          : std::nullopt;
    return magnitude <= 2147483647ull ? std::optional<qint32>(qint32(magnitude)) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QString text = fuzzText(data[0], data + 1, size - 1);
    FUZZ_CHECK_EQ(StrToInt(text), expectedValue(text));

    // The bytes as a value: every way of writing it reads back as that value.
    if (size >= 5) {
        qint32 value = 0;
        std::memcpy(&value, data + 1, sizeof value);
        const auto bits = quint32(value);
        const QString blanks = QString(qsizetype(data[0] % 4), QChar(u"\t \x01 "[data[0] % 4]));
        FUZZ_CHECK_EQ(StrToInt(QString::number(value)), std::optional(value));
        FUZZ_CHECK_EQ(StrToInt(blanks + QString::number(value)), std::optional(value));
        FUZZ_CHECK_EQ(StrToInt(u"$"_s + QString::number(bits, 16)), std::optional(value));
        FUZZ_CHECK_EQ(
            StrToInt(blanks + u"+$000"_s + QString::number(bits, 16).toUpper()), std::optional(value));
        FUZZ_CHECK_EQ(StrToInt(u"-$"_s + QString::number(bits, 16)), std::optional(qint32(0u - bits)));
        FUZZ_CHECK_EQ(StrToInt(QString::number(value) + blanks + u"0"_s),
            blanks.isEmpty() ? StrToInt(QString::number(value) + u"0"_s) : std::nullopt);
        // One past either end of the range is no integer.
        FUZZ_CHECK_EQ(StrToInt(QString::number(qint64(value) + (value < 0 ? -2147483649ll : 2147483648ll))),
            std::optional<qint32>());
    }
    return 0;
}
