#include "AtomicFile.h"
#include "FileFaults.h"
#include "IniFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <limits>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class UmaskScope final {
public:
    explicit UmaskScope(mode_t mask)
        : m_saved(::umask(mask))
    {
    }
    ~UmaskScope() { ::umask(m_saved); }
    UmaskScope(const UmaskScope &) = delete;
    UmaskScope &operator=(const UmaskScope &) = delete;

private:
    mode_t m_saved;
};

const QByteArray oldSettings = "; kept by hand\n[Files]\nShowPreview=0\n";

} // namespace

class TestIniFile final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void readingRules_data();
    void readingRules();
    void names_data();
    void names();
    void longValueCut_data();
    void longValueCut();
    void firstWriteOrder();
    void writesSeenAtOnce();
    void rewrite_data();
    void rewrite();
    void valuesReadBackAsWritten_data();
    void valuesReadBackAsWritten();
    void refusedWrite_data();
    void refusedWrite();
    void modeKept_data();
    void modeKept();
    void linkKept();
    void crashLeavesOldOrNew();
    void staleTempRemoved();
    void changeFileExt_data();
    void changeFileExt();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestIniFile::cleanup()
{
    // Whatever a refusal left locked, so that the folder can go.
    ::chmod(QFile::encodeName(m_dir->path()).constData(), 0700);
    ::chmod(QFile::encodeName(path(u"conf"_s)).constData(), 0755);
    m_dir.reset();
}

void TestIniFile::readingRules_data()
{
    QTest::addColumn<QByteArray>("line"); // null: no such key
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("integer");
    QTest::addColumn<bool>("flag"); // read with the default true
    const int def = 77;
    const auto row
        = [&](const char *name, const char *line, const QString &text, int integer, bool flag) {
              QTest::newRow(name) << QByteArray(line) << text << integer << flag;
          };
    row("decimal", "Key=12", u"12"_s, 12, true);
    row("blanks around the value", "Key=  12 \t", u"12"_s, 12, true);
    row("plus", "Key=+5", u"+5"_s, 5, true);
    row("minus", "Key=-7", u"-7"_s, -7, true);
    row("0x", "Key=0x80", u"0x80"_s, 128, true);
    row("0X", "Key=0X80", u"0X80"_s, 128, true);
    row("0x high bit", "Key=0x80000000", u"0x80000000"_s, std::numeric_limits<int>::min(), true);
    row("0x all bits", "Key=0xffffffff", u"0xffffffff"_s, -1, true);
    row("0x too large", "Key=0x100000000", u"0x100000000"_s, def, true);
    row("0x alone", "Key=0x", u"0x"_s, def, true);
    row("0x with a sign", "Key=0x-5", u"0x-5"_s, def, true);
    row("dollar", "Key=$80", u"$80"_s, 128, true);
    row("trailing letters", "Key=12px", u"12px"_s, def, true);
    row("empty value", "Key=", QString(), def, true);
    row("too large", "Key=2147483648", u"2147483648"_s, def, true);
    row("smallest", "Key=-2147483648", u"-2147483648"_s, std::numeric_limits<int>::min(), true);
    row("Boolean 2", "Key=2", u"2"_s, 2, true);
    row("Boolean -1", "Key=-1", u"-1"_s, -1, true);
    row("Boolean 0", "Key=0", u"0"_s, 0, false);
    row("letters", "Key=yes", u"yes"_s, def, true);
    row("quoted", "Key=\"abc\"", u"abc"_s, def, true);
    row("quoted number", "Key=\"12\"", u"12"_s, 12, true);
    row("blanks inside quotes", "Key=\"  a b  \"", u"  a b  "_s, def, true);
    row("one quote only", "Key=\"abc", u"\"abc"_s, def, true);
    row("a lone quote", "Key=\"", u"\""_s, def, true);
    row("equals sign in the value", "Key=a=b", u"a=b"_s, def, true);
    row("Japanese", "Key=日本語", u"日本語"_s, def, true);
    row("missing key", nullptr, u"<default>"_s, def, true);
}

void TestIniFile::readingRules()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QFETCH(int, integer);
    QFETCH(bool, flag);
    put(path(u"s.ini"_s), "[S]\nOther=1\n" + line + "\n");
    const TIniFile ini(path(u"s.ini"_s));
    QCOMPARE(ini.ReadString(u"S"_s, u"Key"_s, u"<default>"_s), text);
    QCOMPARE(ini.ReadInteger(u"S"_s, u"Key"_s, 77), integer);
    QCOMPARE(ini.ReadBool(u"S"_s, u"Key"_s, true), flag);
    // A Boolean read of a non-integer gives the default, whichever it is.
    QCOMPARE(ini.ReadBool(u"S"_s, u"Key"_s, false), flag && integer != 77);
}

void TestIniFile::names_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // "<default>" when not found
    QTest::newRow("exact") << QByteArray("[Files]\nShowPreview=1\n") << u"Files"_s
                           << u"ShowPreview"_s << u"1"_s;
    QTest::newRow("case of both names")
        << QByteArray("[FILES]\nshowpreview=1\n") << u"files"_s << u"SHOWPREVIEW"_s << u"1"_s;
    QTest::newRow("non-ASCII case") << QByteArray("[ÄÖ]\nÉté=1\n") << u"äö"_s << u"été"_s << u"1"_s;
    QTest::newRow("blanks in the file") << QByteArray("  [ Files ]  \n\t Show Preview \t=\t 1 \n")
                                        << u"Files"_s << u"Show Preview"_s << u"1"_s;
    QTest::newRow("blanks in the names asked for")
        << QByteArray("[Files]\nShowPreview=1\n") << u" Files "_s << u"\tShowPreview "_s << u"1"_s;
    QTest::newRow("first section wins")
        << QByteArray("[A]\nx=1\n[B]\n[a]\nx=2\ny=3\n") << u"A"_s << u"x"_s << u"1"_s;
    QTest::newRow("not in a later section of the same name")
        << QByteArray("[A]\nx=1\n[a]\ny=3\n") << u"A"_s << u"y"_s << u"<default>"_s;
    QTest::newRow("first key wins") << QByteArray("[A]\nx=1\nX=2\n") << u"A"_s << u"x"_s << u"1"_s;
    QTest::newRow("key of another section")
        << QByteArray("[A]\nx=1\n[B]\n") << u"B"_s << u"x"_s << u"<default>"_s;
    QTest::newRow("key before any section")
        << QByteArray("x=1\n[A]\n") << u"A"_s << u"x"_s << u"<default>"_s;
    QTest::newRow("comment is no key")
        << QByteArray("[A]\n;x=1\n") << u"A"_s << u";x"_s << u"<default>"_s;
    QTest::newRow("text after the bracket")
        << QByteArray("[A] old\nx=1\n") << u"A"_s << u"x"_s << u"1"_s;
    QTest::newRow("CRLF") << QByteArray("[A]\r\nx=1\r\ny=2\r\n") << u"A"_s << u"x"_s << u"1"_s;
    QTest::newRow("no final line break") << QByteArray("[A]\nx=1") << u"A"_s << u"x"_s << u"1"_s;
    QTest::newRow("byte order mark")
        << QByteArray("\xEF\xBB\xBF[A]\nx=1\n") << u"A"_s << u"x"_s << u"1"_s;
    QTest::newRow("garbage around")
        << QByteArray("\x01\x02 garbage\n[A\n[A]\nnonsense\nx=1\n") << u"A"_s << u"x"_s << u"1"_s;
    QTest::newRow("a byte order mark as a name, not at the start")
        << QByteArray("[A]\n[\xEF\xBB\xBF]\nx=1\n") << u"\uFEFF"_s << u"x"_s << u"1"_s;
    QTest::newRow("empty key name")
        << QByteArray("[A]\n=1\n") << u"A"_s << QString() << u"<default>"_s;
    QTest::newRow("no file") << QByteArray() << u"A"_s << u"x"_s << u"<default>"_s;
}

void TestIniFile::names()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    if (!file.isNull())
        put(path(u"s.ini"_s), file);
    QCOMPARE(TIniFile(path(u"s.ini"_s)).ReadString(section, key, u"<default>"_s), value);
}

void TestIniFile::longValueCut_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("read");
    const QByteArray a1500(1500, 'a');
    QTest::newRow("ASCII") << a1500 << QString(1023, u'a');
    QTest::newRow("exactly 1023") << QByteArray(1023, 'b') << QString(1023, u'b');
    const QByteArray kana = QString(400, u'あ').toUtf8(); // three bytes each
    QTest::newRow("three-byte characters, cut at a boundary") << kana << QString(341, u'あ');
    QTest::newRow("never inside a character") << "a" + kana << u"a"_s + QString(340, u'あ');
    QTest::newRow("quotes dropped first")
        << "\"" + QByteArray(1023, 'c') + "\"" << QString(1023, u'c');
}

void TestIniFile::longValueCut()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, read);
    put(path(u"s.ini"_s), "[S]\nKey=" + stored + "\n");
    QCOMPARE(TIniFile(path(u"s.ini"_s)).ReadString(u"S"_s, u"Key"_s, QString()), read);
}

void TestIniFile::firstWriteOrder()
{
    const TIniFile ini(path(u"vantrelle.ini"_s));
    QVERIFY(ini.WriteBool(u"Files"_s, u"ShowPreview"_s, true).ok);
    QVERIFY(ini.WriteString(u"Files"_s, u"Netscape Bookmark"_s, u"/home/u/bookmark.htm"_s).ok);
    QVERIFY(ini.WriteInteger(u"PreviewForm"_s, u"Top"_s, 10).ok);
    QVERIFY(ini.WriteInteger(u"PreviewForm"_s, u"Left"_s, -20).ok);
    QVERIFY(ini.WriteInteger(u"PreviewForm"_s, u"Height"_s, 300).ok);
    QVERIFY(ini.WriteInteger(u"PreviewForm"_s, u"Width"_s, 400).ok);
    QVERIFY(
        ini.WriteString(u"Bounds"_s, u"MainForm.Bounds"_s, u"0,10,20,30,40,100,80,420,260"_s).ok);
    QCOMPARE(contents(path(u"vantrelle.ini"_s)),
        QByteArray("[Files]\n"
                   "ShowPreview=1\n"
                   "Netscape Bookmark=/home/u/bookmark.htm\n"
                   "[PreviewForm]\n"
                   "Top=10\n"
                   "Left=-20\n"
                   "Height=300\n"
                   "Width=400\n"
                   "[Bounds]\n"
                   "MainForm.Bounds=0,10,20,30,40,100,80,420,260\n"));
    QCOMPARE(entries(m_dir->path(), QDir::System), QStringList{u"vantrelle.ini"_s});
}

void TestIniFile::writesSeenAtOnce()
{
    const TIniFile first(path(u"s.ini"_s));
    const TIniFile second(path(u"s.ini"_s));
    QCOMPARE(second.ReadInteger(u"PreviewForm"_s, u"Top"_s, -1), -1);
    QVERIFY(first.WriteInteger(u"PreviewForm"_s, u"Top"_s, 5).ok);
    QCOMPARE(second.ReadInteger(u"PreviewForm"_s, u"Top"_s, -1), 5);
    QVERIFY(second.WriteInteger(u"PreviewForm"_s, u"Top"_s, 6).ok);
    QCOMPARE(first.ReadInteger(u"PreviewForm"_s, u"Top"_s, -1), 6);
    QVERIFY(QFile::remove(path(u"s.ini"_s)));
    QCOMPARE(first.ReadInteger(u"PreviewForm"_s, u"Top"_s, -1), -1);
}

void TestIniFile::rewrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    const QByteArray file = "; settings\n"
                            "[Files]\n"
                            "ShowPreview=0\n"
                            "garbage line\n"
                            "Netscape Bookmark=/a.htm\n"
                            "\n"
                            "; about the form\n"
                            "[PreviewForm]\n"
                            "Top=1\n";
    QTest::newRow("value replaced in place")
        << file << u"files"_s << u"SHOWPREVIEW"_s << u"1"_s
        << QByteArray(file).replace("ShowPreview=0", "ShowPreview=1");
    QTest::newRow("new key after the section's last key, before its blank lines")
        << file << u"Files"_s << u"Extra"_s << u"x"_s
        << QByteArray(file).replace("/a.htm\n", "/a.htm\nExtra=x\n");
    QTest::newRow("new section at the end")
        << file << u"Bounds"_s << u"B"_s << u"1"_s << file + "[Bounds]\nB=1\n";
    QTest::newRow("spacing around the value kept")
        << QByteArray("[A]\n  Key =  old  \nz=1\n") << u"A"_s << u"key"_s << u"new"_s
        << QByteArray("[A]\n  Key =  new\nz=1\n");
    QTest::newRow("first of two keys") << QByteArray("[A]\nx=1\nx=2\n") << u"A"_s << u"x"_s
                                       << u"3"_s << QByteArray("[A]\nx=3\nx=2\n");
    QTest::newRow("only the first section of a name")
        << QByteArray("[A]\nx=1\n[B]\n[A]\ny=2\n") << u"A"_s << u"y"_s << u"3"_s
        << QByteArray("[A]\nx=1\ny=3\n[B]\n[A]\ny=2\n");
    QTest::newRow("section without keys") << QByteArray("[A]\n; note\n[B]\n") << u"A"_s << u"x"_s
                                          << u"1"_s << QByteArray("[A]\nx=1\n; note\n[B]\n");
    QTest::newRow("no final line break, new key")
        << QByteArray("[A]\nx=1") << u"A"_s << u"y"_s << u"2"_s << QByteArray("[A]\nx=1\ny=2\n");
    QTest::newRow("carriage return alone at the end, new key") << QByteArray(
        "[A]\nx=1\r") << u"A"_s << u"y"_s << u"2"_s << QByteArray("[A]\nx=1\r\ny=2\n");
    QTest::newRow("no final line break, new section") << QByteArray(
        "[A]\nx=1") << u"B"_s << u"y"_s << u"2"_s << QByteArray("[A]\nx=1\n[B]\ny=2\n");
    QTest::newRow("no final line break, value replaced")
        << QByteArray("[A]\nx=1") << u"A"_s << u"x"_s << u"2"_s << QByteArray("[A]\nx=2");
    QTest::newRow("CRLF kept") << QByteArray("[A]\r\nx=1\r\n") << u"A"_s << u"y"_s << u"2"_s
                               << QByteArray("[A]\r\nx=1\r\ny=2\r\n");
    QTest::newRow("CRLF kept for a new section")
        << QByteArray("[A]\r\nx=1\r\n") << u"B"_s << u"y"_s << u"2"_s
        << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    QTest::newRow("byte order mark kept")
        << QByteArray("\xEF\xBB\xBF[A]\nx=1\n") << u"A"_s << u"x"_s << u"2"_s
        << QByteArray("\xEF\xBB\xBF[A]\nx=2\n");
    QTest::newRow("names written trimmed")
        << QByteArray() << u" A "_s << u" x "_s << u"1"_s << QByteArray("[A]\nx=1\n");
}

void TestIniFile::rewrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isNull())
        put(path(u"s.ini"_s), before);
    const IniWriteResult result = TIniFile(path(u"s.ini"_s)).WriteString(section, key, value);
    QVERIFY(result.ok);
    QVERIFY(result.message.isEmpty());
    QCOMPARE(contents(path(u"s.ini"_s)), after);
    QCOMPARE(entries(m_dir->path(), QDir::System), QStringList{u"s.ini"_s});
}

void TestIniFile::valuesReadBackAsWritten_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << u"/home/u/bookmark.htm"_s << QByteArray("K=/home/u/bookmark.htm");
    QTest::newRow("empty") << QString() << QByteArray("K=");
    QTest::newRow("trailing blank") << u"/a/b.htm "_s << QByteArray("K=\"/a/b.htm \"");
    QTest::newRow("leading blank") << u" x"_s << QByteArray("K=\" x\"");
    QTest::newRow("in quotes") << u"\"q\""_s << QByteArray("K=\"\"q\"\"");
    QTest::newRow("one quote") << u"\"q"_s << QByteArray("K=\"q");
    QTest::newRow("Japanese") << u"ブックマーク"_s << QByteArray("K=ブックマーク");
    QTest::newRow("byte order mark first") << u"\uFEFFx"_s << QByteArray("K=\xEF\xBB\xBFx");
}

void TestIniFile::valuesReadBackAsWritten()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    const TIniFile ini(path(u"s.ini"_s));
    QVERIFY(ini.WriteString(u"S"_s, u"K"_s, value).ok);
    QCOMPARE(contents(path(u"s.ini"_s)), "[S]\n" + line + "\n");
    QCOMPARE(ini.ReadString(u"S"_s, u"K"_s, u"<default>"_s), value);
}

void TestIniFile::refusedWrite_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const auto row
        = [](const char *how, const QString &section, const QString &key, const QString &value) {
              QTest::newRow(how) << QString::fromLatin1(how) << section << key << value;
          };
    const QString longValue(200, u'x');
    row("read-only folder", u"Files"_s, u"ShowPreview"_s, u"1"_s);
    row("disk full", u"Files"_s, u"ShowPreview"_s, longValue);
    row("unreadable file", u"Files"_s, u"ShowPreview"_s, u"1"_s);
    row("read-only file", u"Files"_s, u"ShowPreview"_s, u"1"_s);
    row("folder in the way", u"Files"_s, u"ShowPreview"_s, u"1"_s);
    row("line break in the value", u"Files"_s, u"ShowPreview"_s, u"1\n[Evil]"_s);
    row("line break in the key", u"Files"_s, u"Show\rPreview"_s, u"1"_s);
    row("line break in the section", u"Fi\nles"_s, u"ShowPreview"_s, u"1"_s);
    row("NUL in the value", u"Files"_s, u"ShowPreview"_s, QString(QChar(0)));
    row("equals sign in the key", u"Files"_s, u"a=b"_s, u"1"_s);
    row("key like a section", u"Files"_s, u"[x]"_s, u"1"_s);
    row("key like a comment", u"Files"_s, u";x"_s, u"1"_s);
    row("empty key", u"Files"_s, u"  "_s, u"1"_s);
    row("empty section", QString(), u"ShowPreview"_s, u"1"_s);
}

void TestIniFile::refusedWrite()
{
    QFETCH(QString, how);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QString folder = path(u"conf"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString name = folder + u"/vantrelle.ini"_s;
    if (how == u"folder in the way"_s)
        QVERIFY(QDir().mkdir(name));
    else
        put(name, oldSettings);
    const TIniFile ini(name);

    IniWriteResult result;
    if (how == u"read-only folder"_s || how == u"unreadable file"_s || how == u"read-only file"_s) {
        const bool readOnly = how == u"read-only folder"_s;
        const bool readOnlyFile = how == u"read-only file"_s;
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), readOnly ? 0555 : 0777), 0);
        if (!readOnly)
            QCOMPARE(::chmod(QFile::encodeName(name).constData(), readOnlyFile ? 0444 : 0200), 0);
        const ActAsNobody nobody;
        if (::geteuid() == 0)
            QSKIP("cannot act as an unprivileged user here");
        if (::faccessat(AT_FDCWD, QFile::encodeName(readOnly ? folder : name).constData(),
                readOnly || readOnlyFile ? W_OK : R_OK, AT_EACCESS)
            == 0)
            QSKIP("this user is not refused");
        result = ini.WriteString(section, key, value);
        if (readOnlyFile) // the refusal itself, not a later failure
            QCOMPARE(AtomicFile::replace(name, "[Files]\nShowPreview=1\n"), EACCES);
    } else if (how == u"disk full"_s) {
        const FileSizeLimit limit(rlim_t(oldSettings.size() + 16));
        if (!limit.active())
            QSKIP("cannot limit the file size here");
        result = ini.WriteString(section, key, value);
    } else {
        result = ini.WriteString(section, key, value);
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ::chmod(QFile::encodeName(name).constData(), 0644);

    QVERIFY(!result.ok);
    QCOMPARE(result.message, name + u" に書き込めません"_s);
    if (how != u"folder in the way"_s) {
        QCOMPARE(contents(name), oldSettings);
        QCOMPARE(entries(folder, QDir::System), QStringList{u"vantrelle.ini"_s});
    } else {
        QVERIFY(QFileInfo(name).isDir());
        QCOMPARE(entries(folder, QDir::System), QStringList{u"vantrelle.ini"_s});
    }
}

void TestIniFile::modeKept_data()
{
    QTest::addColumn<int>("existing"); // -1: a new file
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode");
    QTest::newRow("private file") << 0600 << 022 << 0600;
    QTest::newRow("group-readable file") << 0640 << 077 << 0640;
    QTest::newRow("odd mode") << 0604 << 022 << 0604;
    QTest::newRow("new file, umask 022") << -1 << 022 << 0644;
    QTest::newRow("new file, umask 002") << -1 << 002 << 0644;
    QTest::newRow("new file, umask 077") << -1 << 077 << 0600;
}

void TestIniFile::modeKept()
{
    QFETCH(int, existing);
    QFETCH(int, umask);
    QFETCH(int, mode);
    const QString name = path(u"s.ini"_s);
    if (existing >= 0)
        put(name, oldSettings, mode_t(existing));
    {
        const UmaskScope scope{mode_t(umask)};
        QVERIFY(TIniFile(name).WriteInteger(u"A"_s, u"x"_s, 1).ok);
    }
    QCOMPARE(int(modeOf(name)), mode);
    QCOMPARE(TIniFile(name).ReadInteger(u"A"_s, u"x"_s, 0), 1);
}

void TestIniFile::linkKept()
{
    QVERIFY(QDir().mkdir(path(u"real"_s)));
    const QString real = path(u"real/settings.ini"_s);
    const QString link = path(u"vantrelle.ini"_s);
    put(real, oldSettings, 0600);
    QVERIFY(QFile::link(u"real/settings.ini"_s, link));
    QVERIFY(TIniFile(link).WriteBool(u"Files"_s, u"ShowPreview"_s, true).ok);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contents(real), QByteArray(oldSettings).replace("=0", "=1"));
    QCOMPARE(int(modeOf(real)), 0600);
    QCOMPARE(entries(path(u"real"_s), QDir::System), QStringList{u"settings.ini"_s});

    // A link to a file not made yet: the file is made where the link leads.
    QVERIFY(QFile::remove(real));
    QVERIFY(TIniFile(link).WriteInteger(u"A"_s, u"x"_s, 2).ok);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contents(real), QByteArray("[A]\nx=2\n"));
}

void TestIniFile::crashLeavesOldOrNew()
{
    // Values large enough that each write takes a while, so kills land mid-write.
    const int size = 4 << 20;
    const QString file = path(u"vantrelle.ini"_s);
    const QByteArray a = "[Files]\nValue=" + QByteArray(size, 'A') + "\n";
    const QByteArray b = "[Files]\nValue=" + QByteArray(size, 'B') + "\n";
    put(file, a);
    for (int round = 0; round < 25; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(INI_WRITER), {file, QString::number(size)});
        QVERIFY(writer.waitForStarted());
        QTest::qWait(int(QRandomGenerator::global()->bounded(5, 60)));
        writer.kill();
        QVERIFY(writer.waitForFinished());
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        const QByteArray now = contents(file);
        QVERIFY2(
            now == a || now == b, qPrintable(u"round %1: %2 bytes"_s.arg(round).arg(now.size())));
        // The file being written has no name until just before its rename, and the next write
        // removes what a kill left: at most the last one.
        QStringList left = entries(m_dir->path(), QDir::System);
        left.removeOne(u"vantrelle.ini"_s);
        QVERIFY2(left.size() <= 1, qPrintable(left.join(u", "_s)));
    }
    QVERIFY(TIniFile(file).WriteInteger(u"Files"_s, u"Value"_s, 1).ok);
    QCOMPARE(entries(m_dir->path(), QDir::System), QStringList{u"vantrelle.ini"_s});
}

void TestIniFile::staleTempRemoved()
{
    const QString file = path(u"vantrelle.ini"_s);
    put(file, oldSettings);
    const QString killed = u".vantrelle.ini.k1LL3d.part"_s; // a write killed before its rename
    const QString live = u".vantrelle.ini.L1ve00.part"_s; // another writer's, still at work
    const QStringList others{u".other.ini.k1LL3d.part"_s, u".vantrelle.ini.mine.part"_s,
        u".vantrelle.ini.k1LL3d.partial"_s};
    for (const QString &name : QStringList{killed, live} + others)
        put(path(name), "half");
    const int held = ::open(QFile::encodeName(path(live)).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(held >= 0);
    QCOMPARE(::flock(held, LOCK_EX), 0);
    const IniWriteResult result = TIniFile(file).WriteInteger(u"Files"_s, u"ShowPreview"_s, 1);
    ::close(held);
    QVERIFY(result.ok);
    QStringList kept = others + QStringList{live, u"vantrelle.ini"_s};
    kept.sort();
    QCOMPARE(entries(m_dir->path(), QDir::System), kept);
    QCOMPARE(contents(path(live)), QByteArray("half"));
}

void TestIniFile::changeFileExt_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("result");
    QTest::newRow("no extension") << u"/opt/v/vantrelle"_s << u"/opt/v/vantrelle.ini"_s;
    QTest::newRow("dot in a folder only") << u"/a.b/c"_s << u"/a.b/c.ini"_s;
    QTest::newRow("extension replaced") << u"/x/switch.exe"_s << u"/x/switch.ini"_s;
    QTest::newRow("last extension only") << u"/x/a.tar.gz"_s << u"/x/a.tar.ini"_s;
    QTest::newRow("leading dot is no extension") << u"/x/.hidden"_s << u"/x/.hidden.ini"_s;
    QTest::newRow("leading dot and an extension") << u"/x/.hidden.cfg"_s << u"/x/.hidden.ini"_s;
    QTest::newRow("trailing dot") << u"/x/a."_s << u"/x/a.ini"_s;
    QTest::newRow("bare name") << u"vantrelle"_s << u"vantrelle.ini"_s;
    QTest::newRow("empty") << QString() << u".ini"_s;
}

void TestIniFile::changeFileExt()
{
    QFETCH(QString, path);
    QFETCH(QString, result);
    QCOMPARE(ChangeFileExt(path, u".ini"_s), result);
}

QTEST_APPLESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
