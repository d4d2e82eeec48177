#include "Date.h"

#include <cstdio>

namespace {
bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}
}  // namespace

Date Date::fromYmd(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return Date();
    // Proleptic Gregorian calendar to Julian day number.
    int a = (14 - m) / 12;
    int yy = y + 4800 - a;
    int mm = m + 12 * a - 3;
    int32_t jd = d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
    return fromJulian(jd);
}

Date Date::fromDtos(std::string_view t) {
    if (t.size() < 8) return Date();
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    size_t pos = 0;
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < widths[p]; ++i, ++pos) {
            char c = t[pos];
            if (c < '0' || c > '9') return Date();
            parts[p] = parts[p] * 10 + (c - '0');
        }
    }
    return fromYmd(parts[0], parts[1], parts[2]);
}

void Date::split(int& y, int& m, int& d) const {
    int64_t a = jd_ + 32044;
    int64_t b = (4 * a + 3) / 146097;
    int64_t c = a - 146097 * b / 4;
    int64_t dd = (4 * c + 3) / 1461;
    int64_t e = c - 1461 * dd / 4;
    int64_t mm = (5 * e + 2) / 153;
    d = int(e - (153 * mm + 2) / 5 + 1);
    m = int(mm + 3 - 12 * (mm / 10));
    y = int(100 * b + dd - 4800 + mm / 10);
}

int Date::year() const {
    if (empty()) return 0;
    int y, m, d;
    split(y, m, d);
    return y;
}
int Date::month() const {
    if (empty()) return 0;
    int y, m, d;
    split(y, m, d);
    return m;
}
int Date::day() const {
    if (empty()) return 0;
    int y, m, d;
    split(y, m, d);
    return d;
}
int Date::dow() const { return empty() ? 0 : int((jd_ + 1) % 7) + 1; }

std::string Date::dtos() const {
    if (empty()) return std::string(8, ' ');
    int y, m, d;
    split(y, m, d);
    if (y >= 0 && y <= 9999 && m >= 0 && m <= 99 && d >= 0 && d <= 99) {
        // Without printf: dates are written for every record of a table.
        char out[8] = {char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10), char('0' + y % 10),
                       char('0' + m / 10),   char('0' + m % 10),       char('0' + d / 10),       char('0' + d % 10)};
        return std::string(out, 8);
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

Date Date::plusDays(int64_t n) const {
    if (empty()) return *this;
    int64_t jd = jd_ + n;
    if (jd < 1721426 || jd > 5373484) return Date();  // outside years 1..9999
    return fromJulian(int32_t(jd));
}
