// qtest_standin.cpp: running the table and their data rows, and Qt's output format.
#include "qtest_standin.h"

#include <chrono>
#include <cstring>
#include <iostream>
#include <map>

QString QString::fromUtf8(const char *data, qsizetype size)
{
    std::u16string out;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    for (qsizetype i = 0; i < size;) {
        char32_t code = bytes[i];
        int more = code < 0x80 ? 0 : code < 0xE0 ? 1 : code < 0xF0 ? 2 : 3;
        code &= more == 0 ? 0x7F : more == 1 ? 0x1F : more == 2 ? 0x0F : 0x07;
        ++i;
        for (; more > 0 && i < size; --more, ++i)
            code = code << 6 | (bytes[i] & 0x3F);
        if (code >= 0x10000) {
            code -= 0x10000;
            out += char16_t(0xD800 + (code >> 10));
            out += char16_t(0xDC00 + (code & 0x3FF));
        } else {
            out += char16_t(code);
        }
    }
    return QString(std::move(out));
}

QString QString::number(double n)
{
    std::ostringstream out;
    out.precision(6);
    out << n;
    return QString(out.str().c_str());
}

std::string QString::toStdString() const
{
    std::string out;
    for (std::size_t i = 0; i < m_text.size(); ++i) {
        char32_t code = m_text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < m_text.size())
            code = 0x10000 + ((code - 0xD800) << 10) + (m_text[++i] - 0xDC00);
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

qsizetype QString::count(const QString &part) const
{
    if (part.m_text.empty())
        return 0;
    qsizetype found = 0;
    for (std::size_t at = m_text.find(part.m_text); at != std::u16string::npos;
         at = m_text.find(part.m_text, at + part.m_text.size()))
        ++found;
    return found;
}

QStringList QString::split(const QString &separator) const
{
    QStringList parts;
    std::size_t from = 0;
    for (std::size_t at = m_text.find(separator.m_text); at != std::u16string::npos;
         at = m_text.find(separator.m_text, from)) {
        parts << QString(m_text.substr(from, at - from));
        from = at + separator.m_text.size();
    }
    parts << QString(m_text.substr(from));
    return parts;
}

QString QString::arg(const QString &value) const
{
    // Every place of the lowest-numbered marker %1 .. %99 takes the value.
    int lowest = 100;
    for (std::size_t i = 0; i + 1 < m_text.size(); ++i) {
        if (m_text[i] == u'%' && m_text[i + 1] >= u'1' && m_text[i + 1] <= u'9') {
            int n = m_text[i + 1] - u'0';
            if (i + 2 < m_text.size() && m_text[i + 2] >= u'0' && m_text[i + 2] <= u'9')
                n = n * 10 + (m_text[i + 2] - u'0');
            lowest = std::min(lowest, n);
        }
    }
    if (lowest == 100)
        return *this;
    const std::u16string marker = u"%" + QString(std::to_string(lowest).c_str()).text();
    std::u16string out;
    for (std::size_t i = 0; i < m_text.size();) {
        const bool longer = i + marker.size() < m_text.size() && m_text[i + marker.size()] >= u'0'
            && m_text[i + marker.size()] <= u'9' && lowest < 10;
        if (m_text.compare(i, marker.size(), marker) == 0 && !longer) {
            out += value.text();
            i += marker.size();
        } else {
            out += m_text[i++];
        }
    }
    return QString(std::move(out));
}

namespace QTest {

namespace {

struct Column
{
    std::string name;
    std::type_index type;
    std::function<std::any(long double)> fromNumber;
};

struct State
{
    std::vector<Column> columns;
    std::vector<std::pair<std::string, std::vector<std::any>>> rows;
    const std::vector<std::any> *row = nullptr;
    Row current;
    bool failed = false;
    std::string className, function, rowName;
};

State &state()
{
    static State s;
    return s;
}

std::string where()
{
    State &s = state();
    return s.className + "::" + s.function + "(" + s.rowName + ")";
}

} // namespace

std::string toText(std::string_view value)
{
    return "\"" + std::string(value) + "\"";
}

std::string toText(const QString &value)
{
    return toText(std::string_view(value.toStdString()));
}

void fail(const std::string &message, const char *file, int line)
{
    State &s = state();
    if (s.failed)
        return;   // the first failure of a row is the one told
    s.failed = true;
    std::cout << "FAIL!  : " << where() << " " << message << "\n   Loc: [" << file << "(" << line << ")]\n";
}

bool currentTestFailed()
{
    return state().failed;
}

const std::any &fetch(const char *column)
{
    State &s = state();
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        if (s.columns[i].name == column && s.row && i < s.row->size())
            return (*s.row)[i];
    }
    std::cout << "FAIL!  : " << where() << " no data column \"" << column << "\"\n";
    std::abort();
}

void addColumnOf(const char *name, std::type_index type, std::function<std::any(long double)> fromNumber)
{
    state().columns.push_back({name, type, std::move(fromNumber)});
}

Row &newRow(const char *name)
{
    State &s = state();
    s.rows.push_back({name, {}});
    return s.current;
}

void Row::put(std::any value, long double number, bool isNumber)
{
    State &s = state();
    auto &cells = s.rows.back().second;
    const std::size_t at = cells.size();
    if (at >= s.columns.size()) {
        std::cout << "FAIL!  : more values than columns in row " << s.rows.back().first << "\n";
        std::abort();
    }
    const Column &column = s.columns[at];
    if (std::type_index(value.type()) != column.type) {
        if (!isNumber || !column.fromNumber) {
            std::cout << "FAIL!  : a value of another type in column " << column.name << "\n";
            std::abort();
        }
        value = column.fromNumber(number);
    }
    cells.push_back(std::move(value));
}

int run(void *object, const std::vector<std::pair<const char *, void (*)(void *)>> &table, const char *className,
        int argc, char **argv)
{
    State &s = state();
    s.className = className;
    std::vector<std::string> only(argv + 1, argv + argc);   // slot names, as Qt's runner takes them
    int passed = 0, failed = 0;
    const auto start = std::chrono::steady_clock::now();
    std::cout << "********* Start testing of " << className << " *********\n";
    auto find = [&](const std::string &name) -> void (*)(void *) {
        for (const auto &[slot, call] : table) {
            if (name == slot)
                return call;
        }
        return nullptr;
    };
    for (const auto &[slot, call] : table) {
        const std::string name = slot;
        if (name.size() > 5 && name.compare(name.size() - 5, 5, "_data") == 0)
            continue;
        if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end())
            continue;
        s.columns.clear();
        s.rows.clear();
        s.function = name;
        s.rowName.clear();
        if (auto data = find(name + "_data"))
            data(object);
        const bool hasRows = !s.rows.empty();
        const std::size_t rows = hasRows ? s.rows.size() : 1;
        for (std::size_t r = 0; r < rows; ++r) {
            s.row = hasRows ? &s.rows[r].second : nullptr;
            s.rowName = hasRows ? s.rows[r].first : std::string();
            s.failed = false;
            call(object);
            if (s.failed) {
                ++failed;
            } else {
                ++passed;
                std::cout << "PASS   : " << className << "::" << name << (hasRows ? "(" + s.rowName + ")" : "") << "\n";
            }
        }
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::cout << "Totals: " << passed << " passed, " << failed << " failed, 0 skipped, 0 blacklisted, "
              << ms.count() << "ms\n";
    std::cout << "********* Finished testing of " << className << " *********\n";
    return failed > 255 ? 255 : failed;
}

} // namespace QTest
