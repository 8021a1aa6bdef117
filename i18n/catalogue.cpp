// The process-wide half of the text lookup: the language is chosen once, at the first lookup, and only
// its table is parsed. Both are function-local statics, which C++ initialises exactly once even when
// the window thread and a download thread ask at the same moment; afterwards they are read-only.
// A new "Language" setting therefore takes effect at the next start, never halfway through a run.

#include "i18n/catalogue.h"

#include "base/settings_store.h"
#include "i18n/language.h"
#include "i18n/tables.h"
#include "i18n/translation.h"

#include <windows.h>

std::string_view current_language()
{
    static const std::string_view code = choose_language(read_text_setting(k_setting_language), GetUserDefaultUILanguage());
    return code;
}

std::string_view tr(Text text)
{
    const std::string_view language = current_language();
    // English and Korean have no embedded table: their map stays empty and is never consulted.
    static const TranslationTable table = parse_table(embedded_table(language));
    return translate(language, text, table);
}
