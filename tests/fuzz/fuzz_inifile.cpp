// TIniFile on any file: reads never fail and agree with each other (ReadInteger with
// ReadString, ReadBool with ReadInteger); a write is refused exactly for the names and values
// the header names and then leaves the file as it was; an accepted write reads back as
// written and changes no other key that the file holds.
//
// The input: one byte of choices, the lengths of the names (one byte each) and of the value
// (two bytes), then the section, key and value written, then the file's contents.
#include "CodePage.h"
#include "FuzzCheck.h"
#include "FuzzText.h"
#include "IniFile.h"
#include "ValueReaders.h"

#include <QDir>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// No value in a file can hold a line break, so this default is never a stored value.
const QString none = u"\n<none>"_s;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArray trimmed(const QByteArray &bytes)
{
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && isBlank(bytes[begin]))
        ++begin;
    while (end > begin && isBlank(bytes[end - 1]))
        --end;
    return bytes.mid(begin, end - begin);
}

struct Key {
    QString section;
    QString name;
};

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Some of the keys the file holds, each with the section it stands in, found the simple way.
QList<Key> keysIn(const QByteArray &file, qsizetype most)
{
    QList<Key> keys;
    QString section;
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 0; i < lines.size() && keys.size() < most; ++i) {
        QByteArray line = lines[i];
        if (i == 0 && line.startsWith("\xEF\xBB\xBF"))
            line = line.mid(3);
        line = trimmed(line);
        if (line.startsWith('[')) {
            if (const qsizetype close = line.lastIndexOf(']'); close > 0)
                section = CodePage::fromNative(trimmed(line.mid(1, close - 1)));
        } else if (!line.startsWith(';') && line.contains('=') && !section.isEmpty()) {
            const QString name = CodePage::fromNative(trimmed(line.left(line.indexOf('='))));
            if (!name.isEmpty())
                keys.append({section, name});
        }
    }
    return keys;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void put(const QString &path, const QByteArray &data)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, data.constData(), size_t(data.size())) == data.size());
    ::close(fd);
}

// The rule of ReadInteger on a text that ReadString gave.
std::optional<qint32> integerOf(QString text)
{
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text = u'$' + text.mid(2);
    return StrToInt(text);
}

void checkReadsAgree(const TIniFile &ini, const Key &key)
{
    const QString text = ini.ReadString(key.section, key.name, none);
    FUZZ_CHECK(text.size() <= 1023);
    const std::optional<qint32> value = text == none ? std::nullopt : integerOf(text);
    FUZZ_CHECK_EQ(ini.ReadInteger(key.section, key.name, 77), value.value_or(77));
    FUZZ_CHECK_EQ(ini.ReadBool(key.section, key.name, true), value.value_or(1) != 0);
    FUZZ_CHECK_EQ(ini.ReadBool(key.section, key.name, false), value.value_or(0) != 0);
}

bool refused(const QString &section, const QString &key, const QString &value)
{
    const auto broken = [](const QByteArray &b) {
        return b.contains('\n') || b.contains('\r') || b.contains('\0');
    };
    const QByteArray s = CodePage::toNative(section).trimmed();
    const QByteArray k = CodePage::toNative(key).trimmed();
    return s.isEmpty() || broken(s) || k.isEmpty() || broken(k) || k.contains('=')
        || k.startsWith('[') || k.startsWith(';') || broken(CodePage::toNative(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir(QDir::tempPath() + u"/vantrelle-fuzz-XXXXXX"_s);
    FUZZ_CHECK(dir.isValid());
    static const QString path = dir.filePath(u"Vantrelle.ini"_s);

    if (size < 5)
        return 0;
    const std::uint8_t how = data[0];
    std::size_t at = 5;
    const auto field = [&](std::size_t length) {
        length = std::min(length, size - at);
        const QString text = fuzzText(how, data + at, length);
        at += length;
        return text;
    };
    const QString section = field(data[1] % 32);
    const QString key = field(data[2] % 32);
    const std::size_t valueBytes = std::size_t(data[3] | (data[4] << 8)) % 1200;
    qint32 number = 0;
    if (size - at >= sizeof number)
        std::memcpy(&number, data + at, sizeof number);
    QString value = field(valueBytes);
    // A value longer than a read hands back, without an input that long.
    if ((how & 0x40) != 0 && !value.isEmpty())
        value = value.repeated(1100 / value.size() + 1);
    const QByteArray file(reinterpret_cast<const char *>(data + at), qsizetype(size - at));

    ::unlink(QFile::encodeName(path).constData());
    const bool missing = (how & 0x08) != 0;
    if (!missing)
        put(path, file);
    const TIniFile ini(path);

    const Key written{section, key};
    QList<Key> others = missing ? QList<Key>() : keysIn(file, 3);
    checkReadsAgree(ini, written);
    QStringList before;
    for (const Key &other : others) {
        checkReadsAgree(ini, other);
        before << ini.ReadString(other.section, other.name, none);
    }

    const bool asInteger = (how & 0x10) != 0;
    const QString stored = asInteger ? QString::number(number) : value;
    const IniWriteResult result
        = asInteger ? ini.WriteInteger(section, key, number) : ini.WriteString(section, key, value);
    if (refused(section, key, stored)) {
        FUZZ_CHECK(!result.ok);
        FUZZ_CHECK_EQ(result.message, path + u" に書き込めません"_s);
        FUZZ_CHECK_EQ(QFile::exists(path), !missing);
        FUZZ_CHECK_EQ(contentsOf(path), missing ? QByteArray() : file);
        return 0;
    }
    FUZZ_CHECK(result.ok);

    // The value reads back as written; a long one cut as every read is.
    QByteArray cut = CodePage::toNative(stored);
    const bool whole = cut.size() <= 1023 && stored.isValidUtf16();
    CodePage::truncateToChars(cut, 1023);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString expected = whole ? stored : QString(utf8.decode(cut));
    FUZZ_CHECK_EQ(ini.ReadString(section, key, none), expected);
    if (asInteger)
        FUZZ_CHECK_EQ(ini.ReadInteger(section, key, 77), number);
    checkReadsAgree(ini, written);

    // Every other key keeps its value; the one written now reads as written.
    const QString sectionName = CodePage::fromNative(CodePage::toNative(section).trimmed());
    const QString keyName = CodePage::fromNative(CodePage::toNative(key).trimmed());
    for (qsizetype i = 0; i < others.size(); ++i) {
        const Key &other = others[i];
        const bool same = sameName(other.section, sectionName) && sameName(other.name, keyName);
        FUZZ_CHECK_EQ(ini.ReadString(other.section, other.name, none),
            same ? expected : before[i]);
    }

    // Writing what is there already changes nothing. An empty value over an old one keeps
    // the blanks that stood before the old one, and the next write drops them: the same
    // value either way, so only then the bytes may differ.
    if ((how & 0x20) != 0) {
        const QByteArray once = contentsOf(path);
        FUZZ_CHECK(ini.WriteString(section, key, stored).ok);
        if (!stored.isEmpty())
            FUZZ_CHECK_EQ(contentsOf(path), once);
        FUZZ_CHECK_EQ(ini.ReadString(section, key, none), expected);
        for (qsizetype i = 0; i < others.size(); ++i) {
            const Key &other = others[i];
            if (!(sameName(other.section, sectionName) && sameName(other.name, keyName)))
                FUZZ_CHECK_EQ(ini.ReadString(other.section, other.name, none), before[i]);
        }
    }
    return 0;
}
