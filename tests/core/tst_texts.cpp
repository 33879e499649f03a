// tst_texts.cpp: a file's name in a message, as both faces show it: on one line, in
// its own direction, readable whatever its bytes, and short enough to keep its end.
#include "window/texts.h"

#include <QTest>

#include <string>

using window::texts::ShownName;

namespace {

const QString Isolate = QStringLiteral("\u2068"), EndIsolate = QStringLiteral("\u2069");

// Only well-formed UTF-8 comes out, which QString would otherwise mend unseen.
bool isUtf8(const std::string &text)
{
    const QByteArray bytes = QByteArray::fromStdString(text);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QString shown(const QByteArray &name)
{
    const std::string result = ShownName(std::string_view(name.constData(), std::size_t(name.size())));
    return isUtf8(result) ? QString::fromStdString(result) : QStringLiteral("no UTF-8: ") + QString::fromLatin1(QByteArray::fromStdString(result).toHex());
}

// What ShownName makes of a name, without the isolating characters around it.
QString inside(const QByteArray &name)
{
    const QString whole = shown(name);
    if (!whole.startsWith(Isolate) || !whole.endsWith(EndIsolate))
        return QStringLiteral("not isolated: ") + whole;
    return whole.mid(1, whole.size() - 2);
}

int codePoints(const QString &text) { return int(text.toUcs4().size()); }

} // namespace

class tst_Texts : public QObject
{
    Q_OBJECT

private slots:
    void aNameShowsAsItIs_data();
    void aNameShowsAsItIs();
    void nothingInANameActsOnTheText();
    void anyBytesGiveText();
    void aLongNameKeepsItsEnd_data();
    void aLongNameKeepsItsEnd();
    void theReasonStaysOutsideTheName();
};

void tst_Texts::aNameShowsAsItIs_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QByteArray("Нощна стража (копие).jpg") << QStringLiteral("Нощна стража (копие).jpg");
    QTest::newRow("other scripts") << QByteArray("שלום 日本 \xF0\x9F\x96\xBC.png") << QStringLiteral("שלום 日本 🖼.png");
    QTest::newRow("empty") << QByteArray() << QString();
    // The testers' names: a fake second line, a name that turns itself around.
    QTest::newRow("newline") << QByteArray("a.jpg\nФайлът е проверен и е безопасен.jpg")
                             << QStringLiteral("a.jpg␊Файлът е проверен и е безопасен.jpg");
    QTest::newRow("right-to-left override") << QByteArray("снимка\u202Egpj.exe")
                                            << QStringLiteral("снимка⟨U+202E⟩gpj.exe");
    QTest::newRow("C0, first and last") << QByteArray("\0\r\t\x1B\x1F", 5) << QStringLiteral("␀␍␉␛␟");
    QTest::newRow("DEL") << QByteArray("a\x7F") << QStringLiteral("a␡");
    QTest::newRow("C1") << QByteArray("\xC2\x80\xC2\x85\xC2\x9B\xC2\x9F") << QStringLiteral("⟨U+0080⟩⟨U+0085⟩⟨U+009B⟩⟨U+009F⟩");
    QTest::newRow("marks") << QByteArray("\u200E\u200F\u061C") << QStringLiteral("⟨U+200E⟩⟨U+200F⟩⟨U+061C⟩");
    QTest::newRow("embeddings, overrides") << QByteArray("\u202A\u202B\u202C\u202D")
                                           << QStringLiteral("⟨U+202A⟩⟨U+202B⟩⟨U+202C⟩⟨U+202D⟩");
    QTest::newRow("isolates") << QByteArray("\u2066\u2067\u2068\u2069") << QStringLiteral("⟨U+2066⟩⟨U+2067⟩⟨U+2068⟩⟨U+2069⟩");
    QTest::newRow("line and paragraph separators") << QByteArray("a\u2028b\u2029") << QStringLiteral("a⟨U+2028⟩b⟨U+2029⟩");
    QTest::newRow("next to them, kept") << QByteArray("\xC2\xA0\u200D\u2027\u202F\u2065\u206A")
                                        << QStringLiteral("\u00A0\u200D\u2027\u202F\u2065\u206A");
    // Bytes that are no UTF-8: one U+FFFD for each byte, the rest of the name kept.
    QTest::newRow("CP1251") << QByteArray("\xEA\xE0\xF0\xF2\xE8\xED\xE0.jpg") << QStringLiteral("�������.jpg");
    QTest::newRow("overlong") << QByteArray("\xC0\xAF\xE0\x82\x85.") << QStringLiteral("�����.");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80x") << QStringLiteral("���x");
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("����");
    QTest::newRow("cut short") << QByteArray("я\xE2\x82") << QStringLiteral("я��");
    QTest::newRow("cut by another") << QByteArray("\xE2\x82я") << QStringLiteral("��я");
    QTest::newRow("last ones") << QByteArray("\xDF\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF") << QStringLiteral("\u07FF\uFFFF\U0010FFFF");
}

void tst_Texts::aNameShowsAsItIs()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QCOMPARE(inside(name), shown);
}

void tst_Texts::nothingInANameActsOnTheText()
{
    // Every code point, judged by Qt's own tables: no control, no line break, no
    // embedding, override or isolate reaches the screen as it is (the marks are rows above).
    for (char32_t code = 0; code <= 0x10FFFF; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        const QString one = QString::fromUcs4(&code, 1);
        const QString result = inside(one.toUtf8());
        for (const char32_t c : result.toUcs4()) {
            const QChar::Category category = QChar::category(c);
            const QChar::Direction direction = QChar::direction(c);
            const bool acts = category == QChar::Other_Control || category == QChar::Separator_Line
                || category == QChar::Separator_Paragraph || direction == QChar::DirLRE || direction == QChar::DirLRO
                || direction == QChar::DirRLE || direction == QChar::DirRLO || direction == QChar::DirPDF
                || direction == QChar::DirLRI || direction == QChar::DirRLI || direction == QChar::DirFSI
                || direction == QChar::DirPDI;
            if (acts)
                QFAIL(qPrintable(QStringLiteral("U+%1 shows as it is").arg(uint(code), 4, 16, QLatin1Char('0'))));
        }
    }
}

void tst_Texts::anyBytesGiveText()
{
    // Every two bytes, alone and after each kind of lead byte: always well-formed UTF-8.
    for (const std::string lead : {"", "\xE0", "\xED", "\xF0", "\xF4"}) {
        for (int first = 0; first < 256; ++first) {
            for (int second = 0; second < 256; ++second) {
                const std::string name = lead + char(first) + char(second);
                if (!isUtf8(ShownName(name)))
                    QFAIL(qPrintable(QStringLiteral("%1 gives bytes that are no UTF-8")
                                         .arg(QString::fromLatin1(QByteArray::fromStdString(name).toHex()))));
            }
        }
    }
}

void tst_Texts::aLongNameKeepsItsEnd_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    const QString sixty = QString(56, u'ж') + QStringLiteral(".jpg");
    QTest::newRow("60 kept whole") << sixty << sixty;
    QTest::newRow("61 cut") << QString(57, u'ж') + QStringLiteral(".jpg")
                            << QString(29, u'ж') + u'…' + QString(26, u'ж') + QStringLiteral(".jpg");
    // 255 bytes, the most a Linux name holds: the middle goes, start and extension stay.
    const QString longest = QStringLiteral("начало") + QString(115, u'я') + QStringLiteral("-край.jpg");
    QVERIFY(longest.toUtf8().size() == 255);
    QTest::newRow("255 bytes") << longest
                               << QStringLiteral("начало") + QString(23, u'я') + u'…' + QString(21, u'я')
            + QStringLiteral("-край.jpg");
    // Counted as shown: a mark is eight, and is never cut in two.
    QTest::newRow("marks count as shown") << QString(8, u'\u202E')
                                          << QStringLiteral("⟨U+202E⟩").repeated(3) + u'…' + QStringLiteral("⟨U+202E⟩").repeated(3);
    QTest::newRow("a mark at the cut") << QString(25, u'a') + u'\n' + u'\u202E' + QString(40, u'b')
                                       << QString(25, u'a') + u'␊' + u'…' + QString(30, u'b');
    QTest::newRow("characters past U+FFFF count once") << QString(30, u'a') + QString::fromUcs4(U"🖼🖼🖼") + QString(27, u'z')
                                                       << QString(30, u'a') + QString::fromUcs4(U"🖼🖼🖼") + QString(27, u'z');
}

void tst_Texts::aLongNameKeepsItsEnd()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QCOMPARE(inside(name.toUtf8()), shown);
    QVERIFY(codePoints(inside(name.toUtf8())) <= window::texts::ShownNameLength);
}

void tst_Texts::theReasonStaysOutsideTheName()
{
    // The reason reads the same whatever the name; the name keeps its quotes around it.
    const std::string line = window::texts::CannotOpen("x\u202Egpj.exe\n", "файлът е празен");
    QCOMPARE(QString::fromStdString(line), QStringLiteral("„\u2068x⟨U+202E⟩gpj.exe␊\u2069“ не може да се отвори: файлът е празен."));
}

QTEST_APPLESS_MAIN(tst_Texts)
#include "tst_texts.moc"
