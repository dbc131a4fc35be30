// CommaTextSplit on any text, and the round trip of any list written as comma text: items
// that need it quoted with their quotes doubled, the others bare, between the separators the
// header allows (a comma, blanks, or both).
#include "FuzzCheck.h"
#include "FuzzText.h"
#include "ValueReaders.h"

using namespace Qt::StringLiterals;

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= u' ';
}

// A bare item is a run of characters that are neither blanks nor commas, and does not open
// with a quote.
bool canStandBare(const QString &item)
{
    if (item.isEmpty() || item.front() == u'"')
        return false;
    for (QChar c : item) {
        if (isBlank(c) || c == u',')
            return false;
    }
    return true;
}

QString commaText(const QStringList &items, const QString &separator, bool quoteAll)
{
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += separator;
        if (!quoteAll && canStandBare(items[i]))
            text += items[i];
        else
            text += u'"' + QString(items[i]).replace(u'"', u"\"\""_s) + u'"';
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t how = data[0];
    const QString text = fuzzText(how, data + 1, size - 1);

    const QStringList items = CommaTextSplit(text);
    // Every item but an empty one takes at least one character, and so does every separator.
    FUZZ_CHECK(items.size() <= text.size() + 1);
    qsizetype chars = 0;
    for (const QString &item : items)
        chars += item.size();
    FUZZ_CHECK(chars <= text.size());
    bool onlyBlanks = true;
    for (QChar c : text)
        onlyBlanks = onlyBlanks && isBlank(c);
    FUZZ_CHECK_EQ(items.isEmpty(), onlyBlanks);

    // The text cut at every ';' is a list of items of any content.
    const QStringList list = text.split(u';');
    static const QString separators[] = {u","_s, u" "_s, u" , "_s, u"\t,\n"_s};
    const QString &separator = separators[(how >> 2) % 4];
    FUZZ_CHECK_EQ(CommaTextSplit(commaText(list, separator, true)), list);
    FUZZ_CHECK_EQ(CommaTextSplit(commaText(list, separator, false)), list);
    // What was read is written and read again unchanged.
    FUZZ_CHECK_EQ(CommaTextSplit(commaText(items, separator, (how & 0x10) != 0)), items);
    return 0;
}
