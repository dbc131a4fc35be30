#include "IniFile.h"

#include "AtomicFile.h"
#include "CodePage.h"
#include "PosixFile.h"
#include "ValueReaders.h"

#include <QByteArrayView>
#include <QList>

#include <cerrno>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The most a read hands back, as the profile functions fill a buffer of 1024 characters.
constexpr qsizetype MaxValueBytes = 1023;
// A settings file is a few hundred bytes; anything this large is not ours to load whole.
constexpr qsizetype MaxFileSize = 64 * 1024 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

struct Line {
    qsizetype begin = 0;
    qsizetype end = 0; // where the text ends, before the line break
    qsizetype next = 0; // where the next line begins
};

QList<Line> splitLines(const QByteArray &text)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype nl = text.indexOf('\n', pos);
        Line line;
        line.begin = pos;
        line.next = nl < 0 ? text.size() : nl + 1;
        line.end = nl < 0 ? text.size() : nl;
        if (line.end > line.begin && text[line.end - 1] == '\r')
            --line.end;
        lines.append(line);
        pos = line.next;
    }
    return lines;
}

enum class Kind { Other, Section, Key };

struct Entry {
    Kind kind = Kind::Other;
    QString name;
    qsizetype valueStart = 0; // the value's bytes once the blanks around it are dropped
    qsizetype valueEnd = 0;
};

// [begin, end) of `text` without the blanks at either end.
void trimSpan(const QByteArray &text, qsizetype &begin, qsizetype &end)
{
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
}

QString nameOf(const QByteArray &text, qsizetype begin, qsizetype end)
{
    trimSpan(text, begin, end);
    return CodePage::fromNative(text.mid(begin, end - begin));
}

Entry classify(const QByteArray &text, const Line &line, bool first)
{
    Entry entry;
    qsizetype begin = line.begin;
    qsizetype end = line.end;
    // A byte order mark, as some editors put in front of UTF-8 text, is not part of a name.
    if (first && QByteArrayView(text).sliced(begin, end - begin).startsWith("\xEF\xBB\xBF"))
        begin += 3;
    trimSpan(text, begin, end);
    if (begin == end || text[begin] == ';')
        return entry;
    const QByteArrayView body = QByteArrayView(text).sliced(begin, end - begin);
    if (body.front() == '[') {
        const qsizetype close = body.lastIndexOf(']');
        if (close > 0) {
            entry.kind = Kind::Section;
            entry.name = nameOf(text, begin + 1, begin + close);
        }
        return entry;
    }
    const qsizetype at = body.indexOf('=');
    if (at < 0)
        return entry;
    const qsizetype eq = begin + at;
    entry.name = nameOf(text, begin, eq);
    if (entry.name.isEmpty())
        return entry;
    entry.kind = Kind::Key;
    entry.valueStart = eq + 1;
    entry.valueEnd = end;
    trimSpan(text, entry.valueStart, entry.valueEnd);
    return entry;
}

bool sameName(const QString &fromFile, const QString &wanted)
{
    return !fromFile.isEmpty() && fromFile.compare(wanted, Qt::CaseInsensitive) == 0;
}

// A name as the caller gives it, trimmed as the names in the file are.
QByteArray nameBytes(const QString &name)
{
    return CodePage::toNative(name).trimmed();
}

std::optional<QByteArray> findValue(
    const QByteArray &text, const QString &section, const QString &key)
{
    const QList<Line> lines = splitLines(text);
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Entry entry = classify(text, lines[i], i == 0);
        if (entry.kind == Kind::Section) {
            if (inSection)
                break; // only the first matching section counts
            inSection = sameName(entry.name, section);
        } else if (inSection && entry.kind == Kind::Key && sameName(entry.name, key)) {
            return text.mid(entry.valueStart, entry.valueEnd - entry.valueStart);
        }
    }
    return std::nullopt;
}

QByteArray withValue(const QByteArray &text, const QByteArray &section, const QByteArray &key,
    const QByteArray &value)
{
    const qsizetype firstBreak = text.indexOf('\n');
    const QByteArray eol = firstBreak > 0 && text[firstBreak - 1] == '\r' ? "\r\n" : "\n";
    const QString sectionName = CodePage::fromNative(section);
    const QString keyName = CodePage::fromNative(key);

    const QList<Line> lines = splitLines(text);
    qsizetype header = -1;
    qsizetype lastKey = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Entry entry = classify(text, lines[i], i == 0);
        if (entry.kind == Kind::Section) {
            if (header >= 0)
                break;
            if (sameName(entry.name, sectionName))
                header = i;
        } else if (header >= 0 && entry.kind == Kind::Key) {
            if (sameName(entry.name, keyName)) {
                // Only the value changes; the key keeps its spelling and the line its layout.
                qsizetype start = text.indexOf('=', lines[i].begin) + 1;
                while (start < entry.valueStart && isBlank(text[start]))
                    ++start;
                return text.left(start) + value + text.mid(lines[i].end);
            }
            lastKey = i;
        }
    }
    const QByteArray keyLine = key + '=' + value;
    if (header >= 0) {
        const Line &after = lines[lastKey >= 0 ? lastKey : header];
        // The last line, without a line break: a '\r' alone at its end breaks no line, so
        // what follows it would join that line.
        if (text[after.next - 1] != '\n')
            return text.left(after.next) + eol + keyLine + eol;
        return text.left(after.next) + keyLine + eol + text.mid(after.next);
    }
    QByteArray out = text;
    if (!out.isEmpty() && !out.endsWith('\n'))
        out += eol;
    return out + '[' + section + ']' + eol + keyLine + eol;
}

bool hasLineBreakOrNul(const QByteArray &bytes)
{
    return bytes.contains('\n') || bytes.contains('\r') || bytes.contains('\0');
}

// Blanks around a value and one pair of quotes around it are dropped on reading, so a value
// that has either is written inside quotes to read back exactly as given.
QByteArray storedValue(const QByteArray &value)
{
    const bool quoted = value.size() >= 2 && value.startsWith('"') && value.endsWith('"');
    if (quoted || value.trimmed().size() != value.size())
        return '"' + value + '"';
    return value;
}

} // namespace

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(fileName)
{
}

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &def) const
{
    QByteArray text;
    if (AtomicFile::read(m_fileName, text, MaxFileSize) != 0)
        return def;
    const std::optional<QByteArray> found = findValue(
        text, CodePage::fromNative(nameBytes(section)), CodePage::fromNative(nameBytes(ident)));
    if (!found)
        return def;
    QByteArray value = *found;
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    CodePage::truncateToChars(value, MaxValueBytes);
    return CodePage::fromNative(value);
}

qint32 TIniFile::ReadInteger(const QString &section, const QString &ident, qint32 def) const
{
    QString text = ReadString(section, ident, QString());
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text = u'$' + text.mid(2);
    return StrToInt(text).value_or(def);
}

bool TIniFile::ReadBool(const QString &section, const QString &ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

IniWriteResult TIniFile::WriteString(
    const QString &section, const QString &ident, const QString &value) const
{
    const IniWriteResult failed = IniWriteResult::failure(u"%1 に書き込めません"_s.arg(m_fileName));
    const QByteArray sectionName = nameBytes(section);
    const QByteArray key = nameBytes(ident);
    const QByteArray bytes = CodePage::toNative(value);
    if (sectionName.isEmpty() || hasLineBreakOrNul(sectionName) || key.isEmpty()
        || hasLineBreakOrNul(key) || key.contains('=') || key.startsWith('[') || key.startsWith(';')
        || hasLineBreakOrNul(bytes))
        return failed;

    QByteArray text;
    const int err = AtomicFile::read(m_fileName, text, MaxFileSize);
    // A file we cannot read is never replaced: what it holds would be lost.
    if (err != 0 && err != ENOENT)
        return failed;
    if (AtomicFile::replace(m_fileName, withValue(text, sectionName, key, storedValue(bytes))) != 0)
        return failed;
    return IniWriteResult::success();
}

IniWriteResult TIniFile::WriteInteger(
    const QString &section, const QString &ident, qint32 value) const
{
    return WriteString(section, ident, QString::number(value));
}

IniWriteResult TIniFile::WriteBool(const QString &section, const QString &ident, bool value) const
{
    return WriteString(section, ident, value ? u"1"_s : u"0"_s);
}

QString ChangeFileExt(const QString &path, const QString &ext)
{
    qsizetype stem = path.lastIndexOf(u'/') + 1;
    while (stem < path.size() && path[stem] == u'.')
        ++stem;
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > stem ? path.left(dot) + ext : path + ext;
}
