// Reading the user's default locale's time and short date pictures and its day and month names.
#include "manager/win/UserLocale.h"

#include <windows.h>

#include "platform/win/WideText.h"
namespace velmora {
namespace {

std::u16string Info(LCTYPE type) {
    wchar_t text[128] = {};
    const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 128);
    return length > 1 ? FromWide(text, static_cast<std::size_t>(length - 1)) : std::u16string();
}

}  // namespace

LocalePictures UserLocalePictures() {
    LocalePictures locale;
    locale.timePicture = Info(LOCALE_STIMEFORMAT);
    locale.shortDatePicture = Info(LOCALE_SSHORTDATE);
    locale.am = Info(LOCALE_S1159);
    locale.pm = Info(LOCALE_S2359);
    // The system numbers its day names from Monday; the pictures' day of the week from Sunday.
    for (int day = 0; day < 7; ++day) {
        const int fromMonday = (day + 6) % 7;
        locale.dayNames[static_cast<std::size_t>(day)] = Info(LOCALE_SDAYNAME1 + static_cast<LCTYPE>(fromMonday));
        locale.abbreviatedDayNames[static_cast<std::size_t>(day)] =
            Info(LOCALE_SABBREVDAYNAME1 + static_cast<LCTYPE>(fromMonday));
    }
    for (int month = 0; month < 12; ++month) {
        locale.monthNames[static_cast<std::size_t>(month)] = Info(LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(month));
        locale.abbreviatedMonthNames[static_cast<std::size_t>(month)] =
            Info(LOCALE_SABBREVMONTHNAME1 + static_cast<LCTYPE>(month));
    }
    return locale;
}

}  // namespace velmora
