// tst_lesson.cpp: a lesson written into the page and read back, every refusal, the cut, and web pages told by their start.
#include "lesson/lesson.h"

#include <QTest>

#include <numeric>
#include <string>

using lesson::Lesson;
using lesson::LessonError;

namespace {

const std::string Head = "<!DOCTYPE html>\n<html lang=\"bg\"><head><title>Kalvero</title>\n";
const std::string Tail = "</script>\n<script>var x = 1 < 2;</script></head><body>Kalvero</body></html>\n";
const std::string Valid = R"({"kalvero":1,"text":"a","start":null,"picture":"QUJD"})";

std::string page(const std::string &block) { return Head + std::string(lesson::SlotOpening) + block + Tail; }
std::string bytes(const QByteArray &data) { return data.toStdString(); }

model::Arrangement reversed()
{
    model::Arrangement start{};
    std::iota(start.rbegin(), start.rend(), std::uint8_t(0));
    return start;
}

QByteArray numbers(int count, int first = 0)   // "first,first+1,..." as JSON writes them
{
    QByteArrayList list;
    for (int i = 0; i < count; ++i)
        list << QByteArray::number(first + i);
    return list.join(',');
}

} // namespace

Q_DECLARE_METATYPE(LessonError)

class tst_Lesson : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void refusals_data();
    void refusals();
    void longTextIsCut();
    void webPageByItsStart_data();
    void webPageByItsStart();
    void suggestedName();
};

void tst_Lesson::roundTrip_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<bool>("shuffled");
    QTest::newRow("plain, assembled") << QByteArray("Звездна нощ, 1889") << QByteArray("\xFF\xD8\xFF") << false;
    QTest::newRow("shuffled, padding of one") << QByteArray("") << QByteArray("ab") << true;
    QTest::newRow("padding of two, no picture bytes") << QByteArray("x") << QByteArray("a") << true;
    QTest::newRow("empty picture") << QByteArray("x") << QByteArray() << false;
    QTest::newRow("markup stays text")
        << QByteArray("</script><script>alert(1)</script> </SCRIPT <!-- a & b > c") << QByteArray("abc") << false;
    QTest::newRow("quotes, backslashes, controls")
        << QByteArray("\"\\/\r\n\t\b\f\x01\x1F\x7F end\\u0041") << QByteArray(256, '\0') << true;
    QTest::newRow("line separators, astral")
        << QByteArray("a\xE2\x80\xA8" "b\xE2\x80\xA9" "c \xF0\x9F\x8E\xA8 \xEF\xBB\xBF") << QByteArray("\x00\x01", 2) << false;
}

void tst_Lesson::roundTrip()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, picture);
    QFETCH(bool, shuffled);
    QByteArray all;   // every byte value, so that each base64 digit is met
    for (int i = 0; i < 256; ++i)
        all += char(i);
    Lesson written{bytes(picture + all), bytes(text), false, {}};
    if (shuffled)
        written.start = reversed();

    // The page with an empty slot, and again with a filled one: the page around it stays.
    const std::string bare = page("");
    QVERIFY(lesson::HasOneSlot(bare));
    const std::string once = lesson::WriteLesson(bare, written);
    const std::string twice = lesson::WriteLesson(once, written);
    QCOMPARE(QByteArray::fromStdString(twice), QByteArray::fromStdString(once));
    const std::size_t from = Head.size() + lesson::SlotOpening.size();
    QCOMPARE(QByteArray::fromStdString(once.substr(0, from)), QByteArray::fromStdString(Head) + lesson::SlotOpening.data());
    QVERIFY(once.size() > Tail.size());
    QCOMPARE(QByteArray::fromStdString(once.substr(once.size() - Tail.size())), QByteArray::fromStdString(Tail));
    // The block is one line, and nothing in it can end it or be read as markup.
    const std::string block = once.substr(from, once.size() - Tail.size() - from);
    QCOMPARE(block.find_first_of("<>&\n\r"), std::string::npos);
    QCOMPARE(block.find("\xE2\x80\xA8"), std::string::npos);
    QCOMPARE(block.find("\xE2\x80\xA9"), std::string::npos);

    QCOMPARE(QByteArray::fromStdString(block), QByteArray::fromStdString(lesson::LessonJson(written)));

    Lesson read;
    QCOMPARE(lesson::ReadLesson(once, read), LessonError::None);
    QCOMPARE(QByteArray::fromStdString(read.text), text);
    QCOMPARE(QByteArray::fromStdString(read.picture), picture + all);
    QVERIFY(!read.textCut);
    QCOMPARE(read.start.has_value(), shuffled);
    if (shuffled)
        QVERIFY(*read.start == reversed());
}

void tst_Lesson::refusals_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<LessonError>("error");
    const auto lessonWith = [](const QByteArray &block) { return QByteArray::fromStdString(page(block.toStdString())); };
    const QByteArray valid = QByteArray::fromStdString(Valid);
    const auto with = [&](const char *from, const QByteArray &to) { return lessonWith(QByteArray(valid).replace(from, to)); };
    const auto withStart = [&](const QByteArray &start) { return with("null", "[" + start + "]"); };
    const auto withText = [&](const QByteArray &text) { return with("\"a\"", "\"" + text + "\""); };
    const auto withPicture = [&](const QByteArray &text) { return with("\"QUJD\"", "\"" + text + "\""); };

    QTest::newRow("valid") << lessonWith(valid) << LessonError::None;
    QTest::newRow("spaces, escaped slash") << lessonWith(" {\"kalvero\" : 1 ,\"text\":\"a\",\r\n\"start\":null,\t\"picture\":\"QU\\/E\"} ") << LessonError::None;
    QTest::newRow("ordinary page") << QByteArray("<!DOCTYPE html><html><body><script>1</script></body></html>") << LessonError::NotALesson;
    QTest::newRow("empty slot") << lessonWith(" \n") << LessonError::NotALesson;
    QTest::newRow("two blocks") << lessonWith(valid) + lesson::SlotOpening.data() + valid + "</script>" << LessonError::TwoLessons;
    QTest::newRow("two blocks, one empty") << lessonWith(valid) + lesson::SlotOpening.data() + "</script>" << LessonError::TwoLessons;
    QTest::newRow("unclosed block") << QByteArray::fromStdString(Head) + lesson::SlotOpening.data() + valid << LessonError::Malformed;
    QTest::newRow("closed in capitals") << QByteArray::fromStdString(Head) + lesson::SlotOpening.data() + valid + "</SCRIPT >" << LessonError::None;
    QTest::newRow("not JSON") << lessonWith("kalvero") << LessonError::Malformed;
    QTest::newRow("cut short") << lessonWith(valid.chopped(1)) << LessonError::Malformed;
    QTest::newRow("text after the object") << lessonWith(valid + "x") << LessonError::Malformed;
    QTest::newRow("two objects") << lessonWith(valid + valid) << LessonError::Malformed;
    QTest::newRow("a key missing") << with(",\"start\":null", "") << LessonError::Malformed;
    QTest::newRow("an extra key") << with("}", ",\"more\":1}") << LessonError::Malformed;
    QTest::newRow("keys out of order") << lessonWith(R"({"text":"a","kalvero":1,"start":null,"picture":"QUJD"})") << LessonError::Malformed;
    QTest::newRow("another version") << with("\"kalvero\":1", "\"kalvero\":2") << LessonError::Malformed;
    QTest::newRow("version as text") << with("\"kalvero\":1", "\"kalvero\":\"1\"") << LessonError::Malformed;
    QTest::newRow("text as number") << with("\"a\"", "1") << LessonError::Malformed;
    QTest::newRow("base64 unpadded") << withPicture("QUJ") << LessonError::Malformed;
    QTest::newRow("base64 padding inside") << withPicture("QU==QUJD") << LessonError::Malformed;
    QTest::newRow("base64 stray character") << withPicture("QU!D") << LessonError::Malformed;
    QTest::newRow("base64 stray bits") << withPicture("QR==") << LessonError::Malformed;
    QTest::newRow("base64 stray bits, one pad") << withPicture("QUJ=") << LessonError::Malformed;
    QTest::newRow("base64 blank") << withPicture("QU D") << LessonError::Malformed;
    QTest::newRow("unknown escape") << withText("\\x41") << LessonError::Malformed;
    QTest::newRow("short escape") << withText("\\u41") << LessonError::Malformed;
    QTest::newRow("lone high surrogate") << withText("\\ud83c") << LessonError::Malformed;
    QTest::newRow("lone low surrogate") << withText("\\udfa8") << LessonError::Malformed;
    QTest::newRow("surrogate pair") << withText("\\ud83c\\udfa8") << LessonError::None;
    QTest::newRow("overlong UTF-8") << withText("\xC0\xBC") << LessonError::Malformed;
    QTest::newRow("encoded surrogate") << withText("\xED\xA0\x80") << LessonError::Malformed;
    QTest::newRow("cut UTF-8") << withText("\xD0") << LessonError::Malformed;
    QTest::newRow("raw control character") << withText("\x01") << LessonError::Malformed;
    QTest::newRow("raw line break") << withText("a\nb") << LessonError::Malformed;
    QTest::newRow("start of 30") << withStart(numbers(30)) << LessonError::None;
    QTest::newRow("start of 29") << withStart(numbers(29)) << LessonError::BadStart;
    QTest::newRow("start of 31") << withStart(numbers(30) + ",0") << LessonError::BadStart;
    QTest::newRow("start empty") << withStart("") << LessonError::BadStart;
    QTest::newRow("start 1..30") << withStart(numbers(30, 1)) << LessonError::BadStart;
    QTest::newRow("start repeats a tile") << withStart("1," + numbers(29, 1)) << LessonError::BadStart;
    QTest::newRow("start with a huge tile") << withStart(numbers(29) + ",99999999999999999999") << LessonError::BadStart;
    QTest::newRow("start with a negative") << withStart("-0," + numbers(29, 1)) << LessonError::Malformed;
    QTest::newRow("start with a fraction") << withStart("0.0," + numbers(29, 1)) << LessonError::Malformed;
    QTest::newRow("start with a leading zero") << withStart("00," + numbers(29, 1)) << LessonError::Malformed;
    QTest::newRow("start unclosed") << with("null", "[" + numbers(30)) << LessonError::Malformed;
    QTest::newRow("start as object") << with("null", "{}") << LessonError::Malformed;
    QTest::newRow("start nested") << withStart("[" + numbers(30) + "]") << LessonError::Malformed;
    const QByteArray large = withPicture(QByteArray(16 << 20, 'A'));
    QTest::newRow("over 16 MiB") << large << LessonError::TooLarge;
    const qsizetype room = (16 << 20) - (large.size() - (16 << 20));   // base64 in fours, blanks for the rest
    QTest::newRow("at 16 MiB") << with("\"QUJD\"", "\"" + QByteArray(room / 4 * 4, 'A') + "\"" + QByteArray(room % 4, ' '))
                               << LessonError::None;
    QTest::newRow("deep nesting") << lessonWith(QByteArray(100000, '[')) << LessonError::Malformed;
}

void tst_Lesson::refusals()
{
    QFETCH(QByteArray, file);
    QFETCH(LessonError, error);
    Lesson out{"kept", "kept", true, reversed()};
    QCOMPARE(lesson::ReadLesson(file.toStdString(), out), error);
    if (error != LessonError::None) {   // nothing the caller had is touched
        QCOMPARE(out.picture, std::string("kept"));
        QCOMPARE(out.text, std::string("kept"));
        QVERIFY(out.textCut && out.start == reversed());
    }
}

void tst_Lesson::longTextIsCut()
{
    // Code points, not bytes: two-byte Cyrillic and four-byte astral characters.
    const std::string word = "ж\xF0\x9F\x8E\xA8";   // two code points
    std::string text;
    for (int i = 0; i < lesson::MaxTextLength / 2; ++i)
        text += word;
    const std::string bare = page("");
    for (const auto &[extra, cut] : {std::pair{std::string(), false}, std::pair{std::string("ж"), true}}) {
        Lesson read;
        QCOMPARE(lesson::ReadLesson(lesson::WriteLesson(bare, {"", text + extra, false, {}}), read), LessonError::None);
        QCOMPARE(read.textCut, cut);
        QCOMPARE(QByteArray::fromStdString(read.text), QByteArray::fromStdString(text));
    }
}

void tst_Lesson::webPageByItsStart_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("webPage");
    QTest::newRow("doctype") << QByteArray("<!DOCTYPE html>") << true;
    QTest::newRow("doctype, any case") << QByteArray("<!doctype HTML>") << true;
    QTest::newRow("html element") << QByteArray("<html lang=bg>") << true;
    QTest::newRow("byte order mark, blanks") << QByteArray("\xEF\xBB\xBF \r\n\t<HTML>") << true;
    QTest::newRow("blanks before the mark") << QByteArray(" \xEF\xBB\xBF<html>") << false;
    QTest::newRow("another element") << QByteArray("<htmlx>") << false;
    QTest::newRow("xml") << QByteArray("<?xml version=\"1.0\"?><html>") << false;
    QTest::newRow("svg") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\">") << false;
    QTest::newRow("jpeg") << QByteArray("\xFF\xD8\xFF\xE0") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("cut short") << QByteArray("<!DOCTYPE ht") << false;
}

void tst_Lesson::webPageByItsStart()
{
    QFETCH(QByteArray, start);
    QTEST(lesson::LooksLikeWebPage(start.toStdString()), "webPage");
}

// Both faces offer a lesson under its painting's name.
void tst_Lesson::suggestedName()
{
    QCOMPARE(lesson::SuggestedName("Нощна стража.jpg"), std::string("Нощна стража.html"));
    QCOMPARE(lesson::SuggestedName("v1.2.png"), std::string("v1.2.html"));
    QCOMPARE(lesson::SuggestedName("урок.html"), std::string("урок.html"));
    QCOMPARE(lesson::SuggestedName(""), std::string("урок.html"));   // the built-in picture
}

QTEST_APPLESS_MAIN(tst_Lesson)
#include "tst_lesson.moc"
