// FitPath with a synthetic measure: each character is as wide as the input says (0 to 15
// pixels by its code modulo 16), a text as wide as its characters together. Checked: the
// whole path when it fits; otherwise the file name is always kept, the result fits unless
// the file name alone is shown, a drive stays in front when it has room (or nothing but
// "..." and the file name is shown), and the folders kept beside "..." are as many as fit,
// taken from the side opposite Direction.
#include "FileLbl.h"
#include "FuzzCheck.h"
#include "FuzzText.h"

using namespace Qt::StringLiterals;

namespace {

struct Widths {
    int of[16] = {};
    int operator()(const QString &text) const
    {
        int sum = 0;
        for (QChar c : text)
            sum += of[c.unicode() % 16];
        return sum;
    }
};

// The fitted form with `kept` of the folders between the drive (or the start) and the file
// name, taken from the side next to the file name (from the left) or next to the start.
QString shown(const PathFit &p, bool withDrive, qsizetype kept)
{
    const qsizetype first = p.hasDrive ? 1 : 0;
    const qsizetype middles = p.elements.size() - 1 - first;
    const QString ellipsis = u"..."_s + p.separator;
    QString folders;
    if (p.direction == drFromLeft) {
        for (qsizetype i = p.elements.size() - 1 - kept; i < p.elements.size() - 1; ++i)
            folders += p.elements[i] + p.separator;
    } else {
        for (qsizetype i = first; i < first + kept && i < first + middles; ++i)
            folders += p.elements[i] + p.separator;
    }
    const QString drive = withDrive ? p.elements.constFirst() + p.separator : QString();
    return p.direction == drFromLeft ? drive + ellipsis + folders + p.elements.constLast()
                                     : drive + folders + ellipsis + p.elements.constLast();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 11)
        return 0;
    const std::uint8_t how = data[0];
    Widths measure;
    for (int i = 0; i < 16; ++i)
        measure.of[i] = (data[1 + i / 2] >> (i % 2 * 4)) & 0xF;
    const int width = int(data[9] | (data[10] << 8)) % 2048 - 16;
    static const QString separators[] = {u"\\"_s, u"/"_s, u"::"_s, QString()};

    // The path cut as the label cuts it.
    PathFit p;
    p.fileName = fuzzText(how >> 3, data + 11, size - 11);
    p.separator = separators[how % 4];
    p.direction = (how & 4) ? drFromRight : drFromLeft;
    SplitText(p.fileName, p.separator, p.elements);
    const QString &first = p.elements.constFirst();
    p.hasDrive = first.size() >= 2 && first.endsWith(u':');

    const QString fitted = FitPath(p, width, measure);
    if (p.fileName.isEmpty()) {
        FUZZ_CHECK_EQ(fitted, QString());
        return 0;
    }
    if (measure(p.fileName) <= width) {
        FUZZ_CHECK_EQ(fitted, p.fileName);
        return 0;
    }
    const QString &last = p.elements.constLast();
    FUZZ_CHECK(fitted.endsWith(last));
    // The file name alone, wider than the label or not, when "..." and it leave no room.
    const QString ellipsis = u"..."_s + p.separator;
    if (measure(ellipsis + last) >= width) {
        FUZZ_CHECK_EQ(fitted, last);
        return 0;
    }
    FUZZ_CHECK(measure(fitted) <= width);

    // A drive needs room to spare, a folder only to fit.
    const bool withDrive
        = p.hasDrive && measure(p.elements.constFirst() + p.separator + ellipsis + last) < width;
    // A drive that has no room takes the folders with it: they would stand where it should.
    if (p.hasDrive && !withDrive) {
        FUZZ_CHECK_EQ(fitted, ellipsis + last);
        return 0;
    }
    const qsizetype middles = p.elements.size() - 1 - (p.hasDrive ? 1 : 0);
    // Each folder kept adds its own width and a separator's.
    const qsizetype firstMiddle = p.hasDrive ? 1 : 0;
    int used = measure(shown(p, withDrive, 0));
    qsizetype kept = 0;
    while (kept < middles) {
        const qsizetype next
            = p.direction == drFromLeft ? p.elements.size() - 2 - kept : firstMiddle + kept;
        used += measure(p.elements[next]) + measure(p.separator);
        if (used > width)
            break;
        ++kept;
    }
    FUZZ_CHECK_EQ(fitted, shown(p, withDrive, kept));
    // Never the whole path: then it would have fitted as it is.
    FUZZ_CHECK(kept < middles || middles == 0);
    return 0;
}
