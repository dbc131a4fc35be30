#include "FileLbl.h"

#include <QFontMetrics>
#include <QTest>

Q_DECLARE_METATYPE(TDirection)

namespace {

// Every character 6 pixels wide, as in the worked examples.
int sixPixels(const QString &text)
{
    return int(text.size()) * 6;
}

QString fit(const QString &path, const QString &sep, TDirection direction, int width,
    const std::function<int(const QString &)> &measure = sixPixels)
{
    PathFit p;
    SplitText(path, sep, p.elements);
    const QString &first = p.elements.constFirst();
    p.hasDrive = first.size() >= 2 && first.endsWith(QLatin1Char(':'));
    p.fileName = path;
    p.separator = sep;
    p.direction = direction;
    return FitPath(p, width, measure);
}

const QString bookmarkPath
    = QStringLiteral("C:\\Program Files\\Netscape\\Users\\default\\bookmark.htm");

} // namespace

class TestFileLbl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitText_data();
    void splitText();
    void fitting_data();
    void fitting();
    void drive_data();
    void drive();
    void labelShowsTheFittedPath();
    void settersRecomputeOnlyOnChange();
    void refitsOnResizeAndFont();
};

void TestFileLbl::splitText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("plain") << u"a\\b\\c"_qs << u"\\"_qs << QStringList{u"a"_qs, u"b"_qs, u"c"_qs};
    QTest::newRow("leading, double, trailing")
        << u"\\a\\\\b\\"_qs << u"\\"_qs
        << QStringList{QString(), u"a"_qs, QString(), u"b"_qs, QString()};
    QTest::newRow("empty text") << QString() << u"\\"_qs << QStringList{QString()};
    QTest::newRow("no separator in text") << u"a/b"_qs << u"\\"_qs << QStringList{u"a/b"_qs};
    QTest::newRow("empty separator") << u"a\\b"_qs << QString() << QStringList{u"a\\b"_qs};
    QTest::newRow("several characters, leftmost first")
        << u"a::b:::c"_qs << u"::"_qs << QStringList{u"a"_qs, u"b"_qs, u":c"_qs};
    QTest::newRow("Japanese") << u"日本/語"_qs << u"/"_qs << QStringList{u"日本"_qs, u"語"_qs};
}

void TestFileLbl::splitText()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, pieces);
    QStringList list{u"kept"_qs};
    SplitText(text, separator, list);
    QCOMPARE(list, QStringList{u"kept"_qs} + pieces);
}

void TestFileLbl::fitting_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("fromLeft");
    QTest::addColumn<QString>("fromRight");
    const auto row
        = [](const char *name, const QString &path, int w, const char *l, const char *r) {
              QTest::newRow(name) << path << w << QString::fromUtf8(l) << QString::fromUtf8(r);
          };
    row("312 whole path", bookmarkPath, 312,
        "C:\\Program Files\\Netscape\\Users\\default\\bookmark.htm",
        "C:\\Program Files\\Netscape\\Users\\default\\bookmark.htm");
    row("311", bookmarkPath, 311, "C:\\...\\Netscape\\Users\\default\\bookmark.htm",
        "C:\\Program Files\\Netscape\\Users\\...\\bookmark.htm");
    row("252 exact candidate accepted", bookmarkPath, 252,
        "C:\\...\\Netscape\\Users\\default\\bookmark.htm",
        "C:\\Program Files\\Netscape\\...\\bookmark.htm");
    row("251", bookmarkPath, 251, "C:\\...\\Users\\default\\bookmark.htm",
        "C:\\Program Files\\...\\bookmark.htm");
    row("198", bookmarkPath, 198, "C:\\...\\Users\\default\\bookmark.htm",
        "C:\\Program Files\\...\\bookmark.htm");
    row("197", bookmarkPath, 197, "C:\\...\\default\\bookmark.htm", "C:\\...\\bookmark.htm");
    row("115", bookmarkPath, 115, "C:\\...\\bookmark.htm", "C:\\...\\bookmark.htm");
    row("114 drive no longer fits", bookmarkPath, 114, "...\\bookmark.htm", "...\\bookmark.htm");
    row("97", bookmarkPath, 97, "...\\bookmark.htm", "...\\bookmark.htm");
    row("96 file name alone", bookmarkPath, 96, "bookmark.htm", "bookmark.htm");
    const QString unc = QStringLiteral("\\\\server\\share\\dir\\file.htm");
    row("network path at 100", unc, 100, "...\\dir\\file.htm", "\\\\...\\file.htm");
    row("network path whole", unc, 162, "\\\\server\\share\\dir\\file.htm",
        "\\\\server\\share\\dir\\file.htm");
    const QString trailing = QStringLiteral("C:\\Netscape\\Users\\default\\");
    row("trailing separator at 120", trailing, 120, "C:\\...\\default\\", "C:\\Netscape\\...\\");
    row("trailing separator at 30", trailing, 30, "...\\", "...\\");
    row("trailing separator at 24", trailing, 24, "", "");
    row("short path", u"C:\\bookmark.htm"_qs, 89, "bookmark.htm", "bookmark.htm");
    row("no separator, too wide", u"NetscapeのBookmark"_qs, 10, "NetscapeのBookmark",
        "NetscapeのBookmark");
    row("empty", QString(), 0, "", "");
}

void TestFileLbl::fitting()
{
    QFETCH(QString, path);
    QFETCH(int, width);
    QFETCH(QString, fromLeft);
    QFETCH(QString, fromRight);
    const QString sep = QStringLiteral("\\");
    QCOMPARE(fit(path, sep, drFromLeft, width), fromLeft);
    QCOMPARE(fit(path, sep, drFromRight, width), fromRight);
    // The same path with the platform's separator fits the same way.
    QString slashed = path;
    QString left = fromLeft, right = fromRight;
    slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    left.replace(QLatin1Char('\\'), QLatin1Char('/'));
    right.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QCOMPARE(fit(slashed, u"/"_qs, drFromLeft, width), left);
    QCOMPARE(fit(slashed, u"/"_qs, drFromRight, width), right);
}

void TestFileLbl::drive_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("hasDrive");
    QTest::newRow("C:") << u"C:\\x"_qs << true;
    QTest::newRow("lone colon") << u":\\x"_qs << false;
    QTest::newRow("longer element ending in colon") << u"abc:\\x"_qs << true;
    QTest::newRow("no colon") << u"usr\\x"_qs << false;
    QTest::newRow("empty") << QString() << false;
}

void TestFileLbl::drive()
{
    QFETCH(QString, path);
    QFETCH(bool, hasDrive);
    TFileLabel label;
    label.setFileName(u"other"_qs);
    label.setFileName(path);
    QCOMPARE(label.HasDrive(), hasDrive);
    QVERIFY(!label.Elements().isEmpty());
}

void TestFileLbl::labelShowsTheFittedPath()
{
    QWidget parent;
    TFileLabel label(&parent);
    QCOMPARE(label.Separator(), u"\\"_qs);
    QCOMPARE(label.Direction(), drFromLeft);
    QVERIFY(!label.wordWrap());
    label.setGeometry(8, 80, 305, 17);
    label.setSeparator(u"/"_qs);
    const QString path = QStringLiteral(
        "/home/ユーザー/.mozilla/firefox/abcd1234.default-release/bookmarkbackups/bookmarks.html");
    label.setFileName(path);
    QCOMPARE(label.FileName(), path);
    const QFontMetrics metrics(label.font());
    const auto measure = [&](const QString &t) { return metrics.horizontalAdvance(t); };
    const QString expected = fit(path, u"/"_qs, drFromLeft, 305, measure);
    QCOMPARE(label.text(), expected);
    QVERIFY(label.text().startsWith(u".../"_qs));
    QVERIFY(label.text().endsWith(u"/bookmarks.html"_qs));
    QVERIFY(metrics.horizontalAdvance(label.text()) <= 305);

    label.setFileName(QString());
    QCOMPARE(label.text(), QString());
    QCOMPARE(label.Elements(), QStringList{QString()});
    QVERIFY(!label.HasDrive());
}

void TestFileLbl::settersRecomputeOnlyOnChange()
{
    QWidget parent;
    TFileLabel label(&parent);
    label.resize(60, 17);
    label.setSeparator(u"/"_qs);
    label.setFileName(u"/a/bb/ccc/dddd/file.htm"_qs);
    const QString fitted = label.text();

    // An equal value is no change: the text stays as it is, even one put there by hand.
    label.setText(u"marker"_qs);
    label.setFileName(u"/a/bb/ccc/dddd/file.htm"_qs);
    label.setSeparator(u"/"_qs);
    label.setDirection(drFromLeft);
    QCOMPARE(label.text(), u"marker"_qs);

    label.setDirection(drFromRight);
    QCOMPARE(label.Direction(), drFromRight);
    QVERIFY(label.text() != u"marker"_qs);
    label.setDirection(drFromLeft);
    QCOMPARE(label.text(), fitted);

    // A separator that does not occur leaves one element, shown whole.
    label.setSeparator(u"\\"_qs);
    QCOMPARE(label.Elements().size(), 1);
    QCOMPARE(label.text(), u"/a/bb/ccc/dddd/file.htm"_qs);
}

void TestFileLbl::refitsOnResizeAndFont()
{
    // Qt delivers resize events to visible widgets; the form is on screen when it is resized.
    QWidget parent;
    TFileLabel label(&parent);
    parent.show();
    label.setSeparator(u"/"_qs);
    label.resize(2000, 17);
    const QString path = u"/home/user/bookmarks/2026/december/bookmark.htm"_qs;
    label.setFileName(path);
    QCOMPARE(label.text(), path);

    label.resize(120, 17);
    const QString narrow = label.text();
    QVERIFY(narrow != path);
    QVERIFY(narrow.endsWith(u"bookmark.htm"_qs));

    // A larger font, also one inherited from the parent, fits less.
    QFont big = label.font();
    big.setPixelSize(24);
    parent.setFont(big);
    QVERIFY(label.text().size() < narrow.size());
    const QFontMetrics metrics(label.font());
    QCOMPARE(label.text(), fit(path, u"/"_qs, drFromLeft, 120, [&](const QString &t) {
        return metrics.horizontalAdvance(t);
    }));
}

QTEST_MAIN(TestFileLbl)
#include "tst_filelbl.moc"
