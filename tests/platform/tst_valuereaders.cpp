#include "ValueReaders.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<qint32>)

class TestValueReaders final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void strToInt_data();
    void strToInt();
    void commaText_data();
    void commaText();
};

void TestValueReaders::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint32>>("value");
    const auto row = [](const char *name, const QString &text, std::optional<qint32> value) {
        QTest::newRow(name) << text << value;
    };
    row("decimal", u"12"_s, 12);
    row("leading blanks, tab and control", u" \t\x01 12"_s, 12);
    row("plus", u"+5"_s, 5);
    row("minus", u"-7"_s, -7);
    row("leading zeros", u"0000000000042"_s, 42);
    row("largest", u"2147483647"_s, 2147483647);
    row("one too large", u"2147483648"_s, std::nullopt);
    row("smallest", u"-2147483648"_s, std::numeric_limits<qint32>::min());
    row("one too small", u"-2147483649"_s, std::nullopt);
    row("far too large", u"99999999999999999999"_s, std::nullopt);
    row("hex", u"$80"_s, 128);
    row("hex lower case", u"$ff"_s, 255);
    row("hex high bit wraps", u"$80000000"_s, std::numeric_limits<qint32>::min());
    row("hex all bits", u"$FFFFFFFF"_s, -1);
    row("hex too large", u"$100000000"_s, std::nullopt);
    row("hex leading zeros", u"$000000000010"_s, 16);
    row("sign before hex", u"-$10"_s, -16);
    row("plus before hex", u"+$10"_s, 16);
    row("0x is not ours", u"0x10"_s, std::nullopt);
    row("trailing letters", u"12px"_s, std::nullopt);
    row("trailing blank", u"12 "_s, std::nullopt);
    row("blank after sign", u"- 5"_s, std::nullopt);
    row("blank after dollar", u"$ 5"_s, std::nullopt);
    row("empty", QString(), std::nullopt);
    row("blanks only", u"   "_s, std::nullopt);
    row("sign only", u"-"_s, std::nullopt);
    row("dollar only", u"$"_s, std::nullopt);
    row("two signs", u"--5"_s, std::nullopt);
    row("letters", u"abc"_s, std::nullopt);
    row("hex digit in decimal", u"1f"_s, std::nullopt);
    row("fullwidth digits", u"１２"_s, std::nullopt);
}

void TestValueReaders::strToInt()
{
    QFETCH(QString, text);
    QFETCH(std::optional<qint32>, value);
    QCOMPARE(StrToInt(text), value);
}

void TestValueReaders::commaText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("comma") << u"a,b"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("blank") << u"a b"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("comma with blanks") << u"a , b"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("two commas") << u"a,,b"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("comma at the end") << u"a,b,"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("comma at the start") << u",a"_s << QStringList{QString(), u"a"_s};
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("blanks only") << u"  "_s << QStringList();
    QTest::newRow("leading and trailing blanks") << u" \t a,b \n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("quoted") << u"\"x y\",z"_s << QStringList{u"x y"_s, u"z"_s};
    QTest::newRow("doubled quote") << u"\"a\"\"b\""_s << QStringList{u"a\"b"_s};
    QTest::newRow("quoted empty") << u"\"\",x"_s << QStringList{QString(), u"x"_s};
    QTest::newRow("text right after a quote") << u"\"a\"b"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("unterminated") << u"\"unterminated"_s << QStringList{u"unterminated"_s};
    QTest::newRow("bounds") << u"0,10,20,30,40,100,80,420,260"_s
                            << QStringList{u"0"_s, u"10"_s, u"20"_s, u"30"_s, u"40"_s, u"100"_s,
                                   u"80"_s, u"420"_s, u"260"_s};
    QTest::newRow("Japanese") << u"日本,語"_s << QStringList{u"日本"_s, u"語"_s};
}

void TestValueReaders::commaText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QCOMPARE(CommaTextSplit(text), items);
}

QTEST_APPLESS_MAIN(TestValueReaders)
#include "tst_valuereaders.moc"
