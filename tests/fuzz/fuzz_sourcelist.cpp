// The source list of TFileOperation: BuildSourceList on any bytes (broken multibyte
// characters too), and the request record that Execute fills from any source text, split
// or whole, as the service reads it.
#include "FileOper.h"
#include "FuzzCheck.h"
#include "FuzzText.h"

#include <QFile>
#include <QList>

namespace {

// Names up to the first empty one, as the service reads a list.
QList<QByteArray> readList(const char *list)
{
    QList<QByteArray> names;
    while (*list) {
        const QByteArray name(list);
        names << name;
        list += name.size() + 1;
    }
    return names;
}

// What the service should read from a ';'-separated source: each name up to the first
// empty one. A ';' is one byte that no multibyte character holds, so every ';' cuts.
QList<QByteArray> namesOf(const QByteArray &source)
{
    QList<QByteArray> names;
    for (const QByteArray &name : source.split(';')) {
        if (name.isEmpty())
            break;
        names << name;
    }
    return names;
}

void checkSourceList(const QByteArray &source)
{
    const QByteArray list = BuildSourceList(source);
    if (source.isEmpty()) {
        FUZZ_CHECK_EQ(list, QByteArray(1, '\0'));
        return;
    }
    // Every byte in place, each ';' now the end of a name, and the list's own end after them.
    FUZZ_CHECK_EQ(list.size(), source.size() + 2);
    FUZZ_CHECK(list.endsWith(QByteArray(2, '\0')));
    for (qsizetype i = 0; i < source.size(); ++i)
        FUZZ_CHECK_EQ(int(list[i]), source[i] == ';' ? 0 : int(source[i]));
    if (!source.contains('\0'))
        FUZZ_CHECK_EQ(readList(list.constData()), namesOf(source));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    checkSourceList(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));

    // The record as Execute hands it over, from the text a form would set.
    const std::uint8_t how = data[0];
    const QString source = fuzzText(how, data + 1, size - 1);
    const QByteArray bytes = QFile::encodeName(source);
    const bool split = (how & 0x80) == 0;
    TFileOperation op;
    op.setSource(source);
    op.setDestination(source);
    op.setSplitSource(split);
    op.setOptions({fofSimpleProgress});
    op.setTitle(source);
    int calls = 0;
    op.setService([&](SHFILEOPSTRUCT &r) {
        ++calls;
        const QByteArray from(r.pFrom, split ? BuildSourceList(bytes).size() : bytes.size() + 2);
        FUZZ_CHECK_EQ(from, split ? BuildSourceList(bytes) : BuildNameList(bytes));
        if (!bytes.contains('\0')) {
            const QList<QByteArray> whole
                = bytes.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{bytes};
            FUZZ_CHECK_EQ(readList(r.pFrom), split ? namesOf(bytes) : whole);
            // One name, or none for an empty text.
            FUZZ_CHECK_EQ(readList(r.pTo).size(), bytes.isEmpty() ? 0 : 1);
            FUZZ_CHECK_EQ(QByteArray(r.lpszProgressTitle), bytes);
        }
        FUZZ_CHECK_EQ(bool(r.fFlags & FOF_LITERALNAMES), !split);
        return 0x7C;
    });
    FUZZ_CHECK_EQ(op.Execute(), 0x7C);
    FUZZ_CHECK_EQ(calls, 1);
    return 0;
}
