// Feeds the locale's time and short date pictures with a run time: "<time picture>\n<date
// picture>\n" then the year, month, weekday, day, hour and minute as 16-bit numbers, as the system
// gives them (month 13 and weekday 9 included). Each picture is expanded from a buffer of exactly its
// length, so a read past its end shows; each picture unit writes at most 9 units (the longest name
// of the locale; a 16-bit number has 5 digits), and the date written when the picture gives none
// (the C library's, or the stored numbers) at most 63: expansion always ends within that bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "manager/DatePicture.h"

namespace {
void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

constexpr std::size_t kUnitsPerPictureUnit = 9;  // "September", "Wednesday"
constexpr std::size_t kLibraryDate = 63;

// The next line of the input, one unit a byte, in a buffer of its own exact size.
std::u16string_view Line(const std::uint8_t*& data, const std::uint8_t* end, std::unique_ptr<char16_t[]>& buffer) {
    const std::uint8_t* stop = std::find(data, end, '\n');
    const auto length = static_cast<std::size_t>(stop - data);
    buffer = std::make_unique<char16_t[]>(length);
    std::copy(data, stop, buffer.get());
    data = stop == end ? end : stop + 1;
    return {buffer.get(), length};
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (size > 1024)
        return 0;  // the locale's texts are at most 127 units; the golden task files are no pictures
    const std::uint8_t* const end = data + size;
    std::unique_ptr<char16_t[]> timeUnits, dateUnits;
    const std::u16string_view timePicture = Line(data, end, timeUnits);
    const std::u16string_view datePicture = Line(data, end, dateUnits);
    int fields[6] = {};
    for (int& field : fields) {
        if (end - data >= 2) {
            field = data[0] | data[1] << 8;
            data += 2;
        }
    }
    const ScheduleTime time{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};

    LocalePictures locale;
    locale.timePicture = timePicture;
    locale.shortDatePicture = datePicture;
    locale.am = u"AM";
    locale.pm = u"PM";
    locale.dayNames = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
    locale.abbreviatedDayNames = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    locale.monthNames = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                         u"July",    u"August",   u"September", u"October", u"November", u"December"};
    locale.abbreviatedMonthNames = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                    u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

    const std::size_t timeText = ExpandTimePicture(timePicture, time, fields[5], locale).size();
    const std::size_t dateText = ExpandDatePicture(datePicture, time, locale).size();
    Require(timeText <= kUnitsPerPictureUnit * timePicture.size(), "time text beyond its bound");
    Require(dateText <= kUnitsPerPictureUnit * datePicture.size(), "date text beyond its bound");
    const std::u16string run = FormatRunTime(time, locale);
    Require(time.year != 0 || run.empty(), "a time without a year shown");
    Require(run.size() <= kUnitsPerPictureUnit * (timePicture.size() + datePicture.size()) + 1 + kLibraryDate,
            "run time text beyond its bound");
    return 0;
}
