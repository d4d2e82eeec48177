#include "dtot.h"

#include <cstdio>

#include "Text.h"

namespace {

const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                             "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

std::string firstUpper(std::string s) {
    if (!s.empty()) s[0] = char(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}
std::string firstLower(std::string s) {
    if (!s.empty()) s[0] = char(std::tolower(static_cast<unsigned char>(s[0])));
    return s;
}

std::string padded(int n, const char* format, int width, bool empty) {
    if (empty) return std::string(size_t(width), ' ');
    char buf[16];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

}  // namespace

std::string DTOT(const Value& date, const Value& pattern) {
    Date d = date.isDate() ? date.date() : Date();
    std::string s = pattern.isText() ? pattern.text() : "dd de mmmm de yyyy";
    bool empty = d.empty();
    std::string day = empty ? "" : kDays[d.dow() - 1];
    std::string month = empty ? "" : kMonths[d.month() - 1];
    std::string day3 = text::left(day, 3);
    std::string month3 = text::left(month, 3);
    std::string year = padded(d.year(), "%4d", 4, empty);

    const std::pair<const char*, std::string> steps[] = {
        {"dddd", day},
        {"Dddd", firstUpper(day)},
        {"DDDD", text::upper(day)},
        {"ddd", day3},
        {"Ddd", firstUpper(day3)},
        {"DDD", text::upper(day3)},
        {"dd", padded(d.day(), "%d", 2, empty)},
        {"DD", padded(d.day(), "%d", 2, empty)},
        {"0d", padded(d.day(), "%02d", 2, empty)},
        {"0D", padded(d.day(), "%02d", 2, empty)},
        {"mmmm", firstLower(month)},
        {"Mmmm", month},
        {"MMMM", text::upper(month)},
        {"mmm", firstLower(month3)},
        {"Mmm", month3},
        {"MMM", text::upper(month3)},
        {"mm", padded(d.month(), "%d", 2, empty)},
        {"MM", padded(d.month(), "%d", 2, empty)},
        {"0m", padded(d.month(), "%02d", 2, empty)},
        {"0M", padded(d.month(), "%02d", 2, empty)},
        {"yyyy", year},
        {"YYYY", year},
        {"yy", text::right(year, 2)},
        {"YY", text::right(year, 2)},
    };
    for (const auto& [placeholder, replacement] : steps) replaceAll(s, placeholder, replacement);
    return s;
}
