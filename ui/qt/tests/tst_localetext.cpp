// tst_localetext.cpp - the locale's encoding at the window's boundary, and byte offsets in it.
#include <QtTest>

#include "application.h"
#include "localetext.h"

using tolvex::qt::CharSpan;
using tolvex::qt::LocaleText;

class TestLocaleText : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void encodingChoice_data();
    void encodingChoice();
    void roundTrip_data();
    void roundTrip();
    void bytesToChars_data();
    void bytesToChars();
    void qtDialogsSpeakTheLocale();
};

void TestLocaleText::encodingChoice_data() {
    QTest::addColumn<QByteArray>("codeset");
    QTest::addColumn<QByteArray>("used");
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << QByteArray("UTF-8");
    QTest::newRow("GB18030") << QByteArray("GB18030") << QByteArray("GB18030");
    QTest::newRow("GBK") << QByteArray("GBK") << QByteArray("GBK");
    // The C locale's ASCII cannot hold the Chinese texts; UTF-8 is its superset.
    QTest::newRow("C locale") << QByteArray("ANSI_X3.4-1968") << QByteArray("UTF-8");
    QTest::newRow("unknown") << QByteArray("NO-SUCH-CODESET") << QByteArray("UTF-8");
    QTest::newRow("empty") << QByteArray() << QByteArray("UTF-8");
    // Encodings Qt knows that lack the program's Chinese texts would turn them into "?".
    QTest::newRow("Western European") << QByteArray("ISO-8859-1") << QByteArray("UTF-8");
    QTest::newRow("Western European with euro") << QByteArray("ISO-8859-15") << QByteArray("UTF-8");
    QTest::newRow("Cyrillic") << QByteArray("KOI8-R") << QByteArray("UTF-8");
    QTest::newRow("traditional Chinese") << QByteArray("BIG5") << QByteArray("UTF-8");
    QTest::newRow("Japanese") << QByteArray("EUC-JP") << QByteArray("UTF-8");
    QTest::newRow("GB2312") << QByteArray("GB2312") << QByteArray("GB2312");
}

void TestLocaleText::encodingChoice() {
    QFETCH(QByteArray, codeset);
    QFETCH(QByteArray, used);
    QCOMPARE(LocaleText(codeset).Name(), used);
}

void TestLocaleText::roundTrip_data() {
    QTest::addColumn<QByteArray>("codeset");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("UTF-8 hit marker") << QByteArray("UTF-8") << "中" << QByteArray("\xe4\xb8\xad");
    QTest::newRow("GB18030 hit marker") << QByteArray("GB18030") << "中" << QByteArray("\xd6\xd0");
    QTest::newRow("GBK count") << QByteArray("GBK") << "缩水结果：722注"
                               << QByteArray(
                                      "\xcb\xf5\xcb\xae\xbd\xe1\xb9\xfb\xa3\xba"
                                      "722\xd7\xa2");
    QTest::newRow("ISO-8859-1 count, as UTF-8")
        << QByteArray("ISO-8859-1") << "缩水结果：722注"
        << QByteArray(
               "\xe7\xbc\xa9\xe6\xb0\xb4\xe7\xbb\x93\xe6\x9e\x9c\xef\xbc\x9a"
               "722\xe6\xb3\xa8");
    QTest::newRow("digits and CR LF")
        << QByteArray("GB18030") << "000 \r\n002 " << QByteArray("000 \r\n002 ");
}

void TestLocaleText::roundTrip() {
    QFETCH(QByteArray, codeset);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const LocaleText encoding(codeset);
    QCOMPARE(QByteArray::fromStdString(encoding.FromQString(text)), bytes);
    QCOMPARE(encoding.ToQString(bytes.toStdString()), text);
}

void TestLocaleText::bytesToChars_data() {
    QTest::addColumn<QByteArray>("codeset");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<int>("start");  // bytes
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");

    const QString edited = QStringLiteral("中文\n000 123 ");
    QTest::newRow("filter result")
        << QByteArray("UTF-8") << "000 002 003 " << false << 4 << 3 << "002";
    QTest::newRow("UTF-8 after Chinese and CR LF")
        << QByteArray("UTF-8") << edited << true << 12 << 3 << "123";
    QTest::newRow("GB18030 after Chinese and CR LF")
        << QByteArray("GB18030") << edited << true << 10 << 3 << "123";
    QTest::newRow("line break as LF only")
        << QByteArray("GB18030") << edited << false << 9 << 3 << "123";
    QTest::newRow("GB18030 from a character's second byte")
        << QByteArray("GB18030") << "中文12" << false << 1 << 3 << "中文";
    QTest::newRow("UTF-8 character and digit")
        << QByteArray("UTF-8") << "x中1" << false << 1 << 4 << "中1";
    QTest::newRow("outside the text") << QByteArray("UTF-8") << "000 " << false << 10 << 3 << "";
    QTest::newRow("past the end") << QByteArray("UTF-8") << "000 12" << false << 4 << 3 << "12";
    QTest::newRow("character beyond the BMP")
        << QByteArray("UTF-8") << "😀123" << false << 4 << 3 << "123";
}

void TestLocaleText::bytesToChars() {
    QFETCH(QByteArray, codeset);
    QFETCH(QString, text);
    QFETCH(bool, crlf);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, selected);
    const CharSpan span = LocaleText(codeset).BytesToChars(text, static_cast<std::size_t>(start),
                                                           static_cast<std::size_t>(length), crlf);
    QVERIFY(span.first >= 0 && span.count >= 0 && span.first + span.count <= text.size());
    QCOMPARE(text.mid(span.first, span.count), selected);
}

void TestLocaleText::qtDialogsSpeakTheLocale() {
    // Qt's own buttons and dialogs, as the Save dialog and the error box show them.
    const auto ok = [] { return QCoreApplication::translate("QPlatformTheme", "OK"); };
    const auto saveAs = [] { return QCoreApplication::translate("QFileDialog", "Save As"); };
    QVERIFY(!tolvex::qt::LoadQtTranslations(QLocale(QLocale::Zulu, QLocale::SouthAfrica)));
    QCOMPARE(ok(), QStringLiteral("OK"));
    QVERIFY(tolvex::qt::LoadQtTranslations(QLocale(QLocale::Chinese, QLocale::China)));
    QCOMPARE(ok(), QStringLiteral("确定"));
    QCOMPARE(saveAs(), QStringLiteral("另存为"));
}

QTEST_GUILESS_MAIN(TestLocaleText)
#include "tst_localetext.moc"
