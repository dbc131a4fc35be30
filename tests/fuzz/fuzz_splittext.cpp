// SplitText: the pieces join back to the text, none holds the separator, and the list's
// earlier entries stay.
#include "FileLbl.h"
#include "FuzzCheck.h"
#include "FuzzText.h"

#include <algorithm>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The separator is made of one to four bytes from the front; the text is the rest.
    const std::uint8_t how = data[0];
    const std::size_t sepBytes = std::min<std::size_t>(size - 1, 1 + (how >> 6) % 4);
    const QString separator = (how & 0x20) ? QString() : fuzzText(how, data + 1, sepBytes);
    const QString text = fuzzText(how, data + 1 + sepBytes, size - 1 - sepBytes);

    QStringList list{u"kept"_s};
    SplitText(text, separator, list);
    FUZZ_CHECK(list.size() >= 2);
    FUZZ_CHECK_EQ(list.constFirst(), u"kept"_s);
    const QStringList pieces = list.mid(1);
    if (separator.isEmpty()) {
        FUZZ_CHECK_EQ(pieces, QStringList{text});
        return 0;
    }
    FUZZ_CHECK_EQ(pieces.join(separator), text);
    for (const QString &piece : pieces)
        FUZZ_CHECK(!piece.contains(separator));
    // Cut at the leftmost match each time: a piece and the separator after it never hold an
    // earlier match that overlaps the cut.
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        FUZZ_CHECK_EQ((pieces[i] + separator).indexOf(separator), pieces[i].size());
    return 0;
}
