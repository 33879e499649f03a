// qtest_standin.h: the part of Qt Test, QString and QList that the rules tests use,
// for the WebAssembly build, where there is no Qt. The slots run in declaration
// order from a table made by moc.cmake, which reads the class's private slots.
#pragma once

#include <algorithm>
#include <any>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

using qsizetype = std::ptrdiff_t;

#define Q_OBJECT \
public: \
    static const std::vector<std::pair<const char *, void (*)(void *)>> &qt_testSlots(); \
private:
#define slots

class QObject
{
public:
    virtual ~QObject() = default;
};

template <typename T>
class QList : public std::vector<T>
{
public:
    using std::vector<T>::vector;
    QList() = default;
    QList(const std::vector<T> &other) : std::vector<T>(other) {}
    qsizetype size() const { return qsizetype(std::vector<T>::size()); }
    bool isEmpty() const { return std::vector<T>::empty(); }
    const T &at(qsizetype i) const { return (*this)[std::size_t(i)]; }
    qsizetype indexOf(const T &value) const
    {
        const auto found = std::find(this->begin(), this->end(), value);
        return found == this->end() ? -1 : qsizetype(found - this->begin());
    }
    QList &operator<<(const T &value)
    {
        this->push_back(value);
        return *this;
    }
};

class QStringList;

// UTF-16 text, as Qt keeps it: sizes count UTF-16 units.
class QString
{
public:
    QString() = default;
    QString(const char16_t *text) : m_text(text) {}
    QString(const char *utf8) : QString(fromUtf8(utf8, qsizetype(std::char_traits<char>::length(utf8)))) {}
    QString(char latin1) : m_text(1, char16_t(static_cast<unsigned char>(latin1))) {}
    explicit QString(std::u16string text) : m_text(std::move(text)) {}

    static QString fromUtf8(const char *data, qsizetype size);
    static QString number(int n) { return QString(std::to_string(n).c_str()); }
    static QString number(unsigned n) { return QString(std::to_string(n).c_str()); }
    static QString number(long long n) { return QString(std::to_string(n).c_str()); }
    static QString number(unsigned long long n) { return QString(std::to_string(n).c_str()); }
    static QString number(double n);

    qsizetype size() const { return qsizetype(m_text.size()); }
    bool isEmpty() const { return m_text.empty(); }
    QString left(qsizetype n) const { return QString(m_text.substr(0, std::size_t(std::max<qsizetype>(n, 0)))); }
    bool endsWith(const QString &tail) const
    {
        return tail.m_text.size() <= m_text.size()
            && m_text.compare(m_text.size() - tail.m_text.size(), tail.m_text.size(), tail.m_text) == 0;
    }
    bool contains(const QString &part) const { return m_text.find(part.m_text) != std::u16string::npos; }
    qsizetype count(const QString &part) const;
    QStringList split(const QString &separator) const;
    QString arg(const QString &value) const;
    QString arg(int value) const { return arg(number(value)); }
    QString arg(unsigned value) const { return arg(number(value)); }
    QString arg(long long value) const { return arg(number(value)); }
    QString arg(double value) const { return arg(number(value)); }
    std::string toStdString() const;

    QString &operator+=(const QString &other)
    {
        m_text += other.m_text;
        return *this;
    }
    friend QString operator+(QString a, const QString &b) { return a += b; }
    friend bool operator==(const QString &a, const QString &b) { return a.m_text == b.m_text; }
    friend bool operator!=(const QString &a, const QString &b) { return !(a == b); }
    const std::u16string &text() const { return m_text; }

private:
    std::u16string m_text;
};

class QStringList : public QList<QString>
{
public:
    using QList<QString>::QList;
    QStringList &operator<<(const QString &value)
    {
        push_back(value);
        return *this;
    }
    QString join(const QString &separator) const
    {
        QString out;
        for (std::size_t i = 0; i < std::vector<QString>::size(); ++i) {
            if (i)
                out += separator;
            out += (*this)[i];
        }
        return out;
    }
};

#define QStringLiteral(text) QString(u"" text)
#define qPrintable(text) (QString(text).toStdString().c_str())

namespace QTest {

// Values as a failure message shows them.
template <typename T, typename = void>
struct Printable : std::false_type {};
template <typename T>
struct Printable<T, std::void_t<decltype(std::declval<std::ostream &>() << std::declval<const T &>())>>
    : std::true_type {};

std::string toText(const QString &value);
std::string toText(std::string_view value);
inline std::string toText(const std::string &value) { return toText(std::string_view(value)); }
inline std::string toText(const char *value) { return toText(std::string_view(value)); }
inline std::string toText(bool value) { return value ? "true" : "false"; }
template <typename T>
std::string toText(const QList<T> &list)
{
    std::string out = "(";
    for (qsizetype i = 0; i < list.size(); ++i)
        out += (i ? ", " : "") + toText(list.at(i));
    return out + ")";
}
template <typename T>
std::string toText(const T &value)
{
    if constexpr (std::is_enum_v<T>)
        return std::to_string(static_cast<long long>(value));
    else if constexpr (std::is_same_v<T, unsigned char> || std::is_same_v<T, signed char>)
        return std::to_string(int(value));
    else if constexpr (std::is_floating_point_v<T>) {
        std::ostringstream out;
        out.precision(9);
        out << value;
        return out.str();
    } else if constexpr (Printable<T>::value) {
        std::ostringstream out;
        out << value;
        return out.str();
    } else
        return "<value>";
}

// The test being run, its data row, and whether it failed.
void fail(const std::string &message, const char *file, int line);
bool currentTestFailed();
const std::any &fetch(const char *column);

template <typename T>
const T &fetchAs(const char *column)
{
    return *std::any_cast<T>(&fetch(column));
}

void addColumnOf(const char *name, std::type_index type, std::function<std::any(long double)> fromNumber);

template <typename T>
void addColumn(const char *name)
{
    std::function<std::any(long double)> fromNumber;
    if constexpr (std::is_arithmetic_v<T>)
        fromNumber = [](long double value) { return std::any(T(value)); };
    addColumnOf(name, typeid(T), fromNumber);
}

// One row of a data table; values go in column by column.
class Row
{
public:
    template <typename T>
    Row &operator<<(const T &value)
    {
        if constexpr (std::is_arithmetic_v<T>)
            put(std::any(value), static_cast<long double>(value), true);
        else if constexpr (std::is_convertible_v<T, QString> && !std::is_same_v<T, QString>)
            put(std::any(QString(value)), 0, false);
        else
            put(std::any(value), 0, false);
        return *this;
    }

private:
    void put(std::any value, long double number, bool isNumber);
};
Row &newRow(const char *name);

template <typename A, typename B>
bool compare(const A &actual, const B &expected, const char *actualText, const char *expectedText, const char *file,
             int line)
{
    bool same;
    if constexpr (std::is_integral_v<A> && std::is_integral_v<B> && !std::is_same_v<A, bool> && !std::is_same_v<B, bool>)
        same = std::cmp_equal(actual, expected);
    else
        same = actual == expected;
    if (!same)
        fail(std::string("Compared values are not the same\n   Actual   (") + actualText + "): " + toText(actual)
                 + "\n   Expected (" + expectedText + "): " + toText(expected),
             file, line);
    return same;
}

int run(void *object, const std::vector<std::pair<const char *, void (*)(void *)>> &table, const char *className,
        int argc, char **argv);

} // namespace QTest

#define QVERIFY2(condition, message) \
    do { \
        if (!(condition)) { \
            QTest::fail(std::string("'" #condition "' returned FALSE. (") + (message) + ")", __FILE__, __LINE__); \
            return; \
        } \
    } while (false)
#define QVERIFY(condition) \
    do { \
        if (!(condition)) { \
            QTest::fail("'" #condition "' returned FALSE.", __FILE__, __LINE__); \
            return; \
        } \
    } while (false)
#define QCOMPARE(actual, expected) \
    do { \
        if (!QTest::compare(actual, expected, #actual, #expected, __FILE__, __LINE__)) \
            return; \
    } while (false)
#define QFETCH(Type, name) const Type name = QTest::fetchAs<Type>(#name)
#define QTEST(actual, column) \
    do { \
        const auto &qtestActual = actual; \
        if (!QTest::compare(qtestActual, QTest::fetchAs<std::decay_t<decltype(qtestActual)>>(column), #actual, \
                            column, __FILE__, __LINE__)) \
            return; \
    } while (false)
#define QFAIL(message) \
    do { \
        QTest::fail(message, __FILE__, __LINE__); \
        return; \
    } while (false)

#define QTEST_APPLESS_MAIN(TestObject) \
    int main(int argc, char **argv) \
    { \
        TestObject test; \
        return QTest::run(&test, TestObject::qt_testSlots(), #TestObject, argc, argv); \
    }
