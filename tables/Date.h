#pragma once
// Calendar date held as a Julian day number; 0 is the empty date.
#include <cstdint>
#include <string>
#include <string_view>

class Date {
public:
    Date() = default;
    static Date fromJulian(int32_t jd) { Date d; d.jd_ = jd; return d; }
    // Empty when the parts do not form a real date (month 13, 30 February, year 0 ...).
    static Date fromYmd(int year, int month, int day);
    // "YYYYMMDD"; blanks or an invalid date give the empty date.
    static Date fromDtos(std::string_view text);

    bool empty() const { return jd_ == 0; }
    int32_t julian() const { return jd_; }
    int year() const;
    int month() const;
    int day() const;
    int dow() const;  // 1 = Sunday ... 7 = Saturday, 0 for the empty date
    // "YYYYMMDD", eight blanks for the empty date.
    std::string dtos() const;

    Date plusDays(int64_t n) const;
    auto operator<=>(const Date&) const = default;

private:
    void split(int& y, int& m, int& d) const;
    int32_t jd_ = 0;
};
