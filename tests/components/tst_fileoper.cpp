#include "Application.h"
#include "FileOper.h"

#include <QTest>
#include <QWidget>

Q_DECLARE_METATYPE(TFileOptions)
Q_DECLARE_METATYPE(TFileMode)

namespace {

// A name list read the way the service reads it: names up to the first empty one.
QList<QByteArray> readList(const char *list)
{
    QList<QByteArray> names;
    while (list && *list) {
        const QByteArray name(list);
        names << name;
        list += name.size() + 1;
    }
    return names;
}

} // namespace

class TestFileOper : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void optionFlags_data();
    void optionFlags();
    void modeFunc_data();
    void modeFunc();
    void sourceList_data();
    void sourceList();
    void executeFillsTheRecord();
    void progressTitle_data();
    void progressTitle();
    void wholeSourceKeepsSemicolons();
    void abortFlagFollowsEachCall();
};

void TestFileOper::optionFlags_data()
{
    QTest::addColumn<TFileOptions>("options");
    QTest::addColumn<int>("flags");
    QTest::newRow("none") << TFileOptions{} << 0;
    QTest::newRow("silent, no confirmation") << TFileOptions{fofSilent, fofNoConfirmation} << 0x14;
    QTest::newRow("undo, rename on collision")
        << TFileOptions{fofAllowUndo, fofRenameOnCollision} << 0x48;
    QTest::newRow("files only") << TFileOptions{fofFilesOnly} << 0x80;
    QTest::newRow("confirm mouse, multi dest")
        << TFileOptions{fofConfirmMouse, fofMultiDestFiles} << 0x3;
    QTest::newRow("mkdir, simple progress, mapping")
        << TFileOptions{fofNoConfirmMkDir, fofSimpleProgress, fofWantMappingHandle} << 0x320;
    QTest::newRow("all ten") << TFileOptions{fofAllowUndo, fofConfirmMouse, fofFilesOnly,
        fofMultiDestFiles, fofNoConfirmation, fofNoConfirmMkDir, fofRenameOnCollision, fofSilent,
        fofSimpleProgress, fofWantMappingHandle}
                             << 0x3FF;
}

void TestFileOper::optionFlags()
{
    QFETCH(TFileOptions, options);
    QFETCH(int, flags);
    QCOMPARE(FileOptionFlags(options), flags);
}

void TestFileOper::modeFunc_data()
{
    QTest::addColumn<TFileMode>("mode");
    QTest::addColumn<uint>("func");
    QTest::newRow("copy") << foCopy << 2u;
    QTest::newRow("delete") << foDelete << 3u;
    QTest::newRow("move") << foMove << 1u;
    QTest::newRow("rename") << foRename << 4u;
}

void TestFileOper::modeFunc()
{
    QFETCH(TFileMode, mode);
    QFETCH(uint, func);
    QCOMPARE(FileModeFunc(mode), func);
}

void TestFileOper::sourceList_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("names");
    using L = QList<QByteArray>;
    QTest::newRow("one name") << QByteArray("a.htm") << QByteArray("a.htm\0\0", 7) << L{"a.htm"};
    QTest::newRow("two names") << QByteArray("a.htm;b.htm") << QByteArray("a.htm\0b.htm\0\0", 13)
                               << L{"a.htm", "b.htm"};
    QTest::newRow("trailing ;") << QByteArray("a.htm;") << QByteArray("a.htm\0\0\0", 8)
                                << L{"a.htm"};
    QTest::newRow(";; ends the list")
        << QByteArray("a.htm;;b.htm") << QByteArray("a.htm\0\0b.htm\0\0", 14) << L{"a.htm"};
    QTest::newRow("leading ;") << QByteArray(";a.htm") << QByteArray("\0a.htm\0\0", 8) << L{};
    QTest::newRow("empty") << QByteArray() << QByteArray("\0", 1) << L{};
    QTest::newRow("Japanese names")
        << QByteArray("日本語.htm;ブック.htm") << QByteArray("日本語.htm\0ブック.htm\0\0", 29)
        << L{"日本語.htm", "ブック.htm"};
    // A lead byte without its continuation must not swallow the ';' after it.
    QTest::newRow("broken lead byte")
        << QByteArray("a\xE3;b") << QByteArray("a\xE3\0b\0\0", 6) << L{"a\xE3", "b"};
}

void TestFileOper::sourceList()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, names);
    const QByteArray list = BuildSourceList(source);
    QCOMPARE(list, bytes);
    QCOMPARE(readList(list.constData()), names);
}

void TestFileOper::executeFillsTheRecord()
{
    QWidget mainWindow;
    Application::resetMainForm();
    Application::registerForm(&mainWindow);

    TFileOperation op;
    QCOMPARE(op.Mode(), foCopy);
    QVERIFY(!op.AbortByUser());

    SHFILEOPSTRUCT seen;
    QList<QByteArray> from, to;
    op.setService([&](SHFILEOPSTRUCT &r) {
        seen = r;
        from = readList(r.pFrom);
        to = readList(r.pTo);
        return 0x7C;
    });

    op.setSource(QStringLiteral("/b/a.htm;/b/c.htm"));
    op.setDestination(QStringLiteral("/d/x.htm"));
    op.setOptions({fofSilent, fofNoConfirmation});
    QCOMPARE(op.Execute(), 0x7C);
    QCOMPARE(seen.hwnd, &mainWindow);
    QCOMPARE(seen.wFunc, FO_COPY);
    QCOMPARE(seen.fFlags, 0x14);
    QCOMPARE(from, (QList<QByteArray>{"/b/a.htm", "/b/c.htm"}));
    QCOMPARE(to, QList<QByteArray>{"/d/x.htm"});
    QVERIFY(!seen.fAnyOperationsAborted);
    QCOMPARE(seen.hNameMappings, nullptr);

    // A delete still carries the destination left from the copy; the service ignores it.
    op.setMode(foDelete);
    op.setSource(QString());
    op.setDestination(QStringLiteral("/d/x.htm"));
    op.Execute();
    QCOMPARE(seen.wFunc, FO_DELETE);
    QCOMPARE(from, QList<QByteArray>{});
    QCOMPARE(to, QList<QByteArray>{"/d/x.htm"});

    op.setDestination(QString());
    op.Execute();
    QCOMPARE(to, QList<QByteArray>{});
    Application::resetMainForm();
}

void TestFileOper::progressTitle_data()
{
    QTest::addColumn<TFileOptions>("options");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("passed");
    QTest::newRow("title without simple progress")
        << TFileOptions{fofSilent} << u"コピー"_qs << false;
    QTest::newRow("simple progress with title")
        << TFileOptions{fofSimpleProgress} << u"コピー"_qs << true;
    QTest::newRow("simple progress, empty title")
        << TFileOptions{fofSimpleProgress} << QString() << true;
}

void TestFileOper::progressTitle()
{
    QFETCH(TFileOptions, options);
    QFETCH(QString, title);
    QFETCH(bool, passed);
    TFileOperation op;
    op.setOptions(options);
    op.setTitle(title);
    op.setSource(QStringLiteral("a"));
    bool gotTitle = false;
    QByteArray text;
    op.setService([&](SHFILEOPSTRUCT &r) {
        gotTitle = r.lpszProgressTitle != nullptr;
        if (gotTitle)
            text = r.lpszProgressTitle;
        return 0;
    });
    op.Execute();
    QCOMPARE(gotTitle, passed);
    if (passed)
        QCOMPARE(QString::fromUtf8(text), title);
}

void TestFileOper::wholeSourceKeepsSemicolons()
{
    TFileOperation op;
    op.setSplitSource(false);
    op.setSource(QStringLiteral("/b/a;b.htm"));
    QList<QByteArray> from;
    quint16 flags = 0;
    op.setService([&](SHFILEOPSTRUCT &r) {
        from = readList(r.pFrom);
        flags = r.fFlags;
        return 0;
    });
    op.Execute();
    QCOMPARE(from, QList<QByteArray>{"/b/a;b.htm"});
    // Nor is the one name a pattern.
    QCOMPARE(flags, FOF_LITERALNAMES);
}

void TestFileOper::abortFlagFollowsEachCall()
{
    TFileOperation op;
    bool abort = true;
    op.setService([&](SHFILEOPSTRUCT &r) {
        r.fAnyOperationsAborted = abort;
        return abort ? 0x4C7 : 0;
    });
    op.Execute();
    QVERIFY(op.AbortByUser());
    abort = false;
    op.Execute();
    QVERIFY(!op.AbortByUser());
}

QTEST_MAIN(TestFileOper)
#include "tst_fileoper.moc"
