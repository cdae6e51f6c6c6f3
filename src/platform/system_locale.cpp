#include "platform/system_locale.h"

#include <langinfo.h>
#include <locale.h>

namespace qk::platform {

char decimalSeparatorOf(const char* localeName)
{
    // A private locale object: setlocale() would change number formatting for every
    // thread of the process.
    locale_t numeric = newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(nullptr));
    if (numeric == static_cast<locale_t>(nullptr))
        return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, numeric);
    char separator = '.';
    if (radix && radix[0] != '\0' && radix[1] == '\0')
        separator = radix[0];
    freelocale(numeric);
    return separator;
}

char UserLocale::decimalSeparator()
{
    return decimalSeparatorOf("");
}

}  // namespace qk::platform
