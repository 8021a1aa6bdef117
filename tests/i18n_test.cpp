#include "app/settings.h"
#include "base/text.h"
#include "i18n/catalogue.h"
#include "i18n/language.h"
#include "i18n/tables.h"
#include "i18n/translation.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// The eight embedded tables and the path each gives the maker's web page.
struct TableLanguage {
    const char* code;
    const char* web_path;
};
constexpr TableLanguage k_table_languages[] = {
    {"ja", "/ja/"}, {"zh-Hans", "/zh-hans/"}, {"zh-Hant", "/zh-hant/"}, {"es", "/es/"},
    {"fr", "/fr/"}, {"de", "/de/"},           {"pt", "/pt/"},           {"ru", "/ru/"},
};

std::set<std::string> placeholders_in(std::string_view text)
{
    static const std::regex k_placeholder(R"(\{[0-9]+\})");
    const std::string owned(text);
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(owned.begin(), owned.end(), k_placeholder); it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

// The members of a table in file order, parsed independently of the line layout.
std::vector<std::pair<std::string, std::string>> members_of(std::string_view json)
{
    std::vector<std::pair<std::string, std::string>> members;
    const nlohmann::ordered_json object = nlohmann::ordered_json::parse(json.begin(), json.end(), nullptr, false);
    if (!object.is_object()) return members;
    for (const auto& [key, value] : object.items())
        members.emplace_back(key, value.is_string() ? value.get<std::string>() : std::string("<not a string>"));
    return members;
}

TEST(Catalogue, IndexNeedsBothTextsOfAPair)
{
    struct Case {
        std::string_view korean;
        std::string_view english;
        std::optional<size_t> index;
    };
    const Case k_cases[] = {
        {"만료됨", "Expired", 0},
        {"복사했습니다:", "Copied to", 49},  // two keys share this Korean text
        {"복사했습니다:", "Copied:", 73},
        {"만료됨", "Expires today", std::nullopt},
        {"만료됨", "expired", std::nullopt},
        {"만료됨 ", "Expired", std::nullopt},
        {"", "", std::nullopt},
    };
    for (const Case& c : k_cases) EXPECT_EQ(catalogue_index(c.korean, c.english), c.index) << c.english;
}

TEST(Catalogue, WebPageEntryUsesTheMakerHost)
{
    EXPECT_EQ(k_maker_page_text.english, "https://" VESSOP_MAKER_HOST "/");
    EXPECT_EQ(k_maker_page_text.korean, "https://" VESSOP_MAKER_HOST "/ko/");
    EXPECT_EQ(catalogue_index(k_maker_page_text.korean, k_maker_page_text.english), 69u);
}

TEST(ChooseLanguage, KnownSettingWinsElseWindowsDecides)
{
    struct Case {
        std::optional<std::string> setting;
        uint16_t ui_language;
        std::string_view code;
    };
    const Case k_cases[] = {
        {std::nullopt, 0x0412, "ko"},
        {"", 0x0407, "de"},          // "Follow Windows"
        {"KO", 0x0409, "en"},        // codes are case-sensitive
        {"zh-hans", 0x0411, "ja"},
        {"zh", 0x0419, "ru"},
        {"xx", 0x040C, "fr"},
        {" ko", 0x0C0A, "es"},       // whole text only
        {"ko ", 0x0816, "pt"},
        {std::string("ko\0", 3), 0x0409, "en"},
    };
    for (const Case& c : k_cases) EXPECT_EQ(choose_language(c.setting, c.ui_language), c.code) << c.ui_language;
    for (const Language& language : k_languages)
        EXPECT_EQ(choose_language(std::string(language.code), 0x0412), language.code);
}

TEST(LocaleName, EachLanguageDrawsInItsRegionsForms)
{
    const struct {
        std::string_view code;
        const wchar_t* locale;
    } k_cases[] = {
        {"ko", L"ko-KR"}, {"en", L"en-US"}, {"ja", L"ja-JP"}, {"zh-Hans", L"zh-CN"}, {"zh-Hant", L"zh-TW"},
        {"es", L"es-ES"}, {"fr", L"fr-FR"}, {"de", L"de-DE"}, {"pt", L"pt-BR"}, {"ru", L"ru-RU"},
        {"", L"en-US"}, {"zh", L"en-US"}, {"KO", L"en-US"},  // not a code of the program's
    };
    for (const auto& c : k_cases) EXPECT_STREQ(locale_name_of(c.code), c.locale) << c.code;
    // Every language has one, and each a different one: a missing row would draw in the wrong forms.
    for (const Language& a : k_languages)
        for (const Language& b : k_languages)
            if (a.code != b.code) {
                EXPECT_STRNE(a.locale_name, b.locale_name) << a.code << " " << b.code;
            }
    // Each is a locale name Windows knows.
    for (const Language& language : k_languages)
        EXPECT_TRUE(IsValidLocaleName(language.locale_name)) << language.code;
}

TEST(ChooseLanguage, WindowsLanguageMapsByPrimaryLanguage)
{
    struct Case {
        uint16_t ui_language;
        std::string_view code;
    };
    const Case k_cases[] = {
        {0x0804, "zh-Hans"}, {0x1004, "zh-Hans"},  // PRC, Singapore
        {0x0404, "zh-Hant"}, {0x0C04, "zh-Hant"}, {0x1404, "zh-Hant"}, {0x7C04, "zh-Hant"}, {0x0004, "zh-Hant"},
        {0x0407, "de"},      {0x0807, "de"},      {0x040A, "es"},      {0x0C0A, "es"},      {0x040C, "fr"},
        {0x0411, "ja"},      {0x0412, "ko"},      {0x0416, "pt"},      {0x0816, "pt"},      {0x0419, "ru"},
        {0x0409, "en"},      {0x0809, "en"},      {0x0000, "en"},      {0x0410, "en"},      {0x0413, "en"},
        {0x0412 | 0x0400, "ko"},  // sublanguage bits never change the primary language
        {0xFFFF, "en"},
    };
    for (const Case& c : k_cases)
        EXPECT_EQ(choose_language(std::nullopt, c.ui_language), c.code) << std::hex << c.ui_language;
}

TEST(ParseTable, AcceptsOneObjectAmidWhiteSpace)
{
    const char* k_texts[] = {
        R"({"Expired": "Expiré"})",
        " \t\r\n{\"Expired\":\"Expiré\"}\n",
        "{\n \"Expired\": \"Expiré\",\n \"Other\": \"Autre\"\n}\n",
    };
    for (const char* text : k_texts) {
        const TranslationTable table = parse_table(text);
        ASSERT_EQ(table.count("Expired"), 1u) << text;
        EXPECT_EQ(table.at("Expired"), "Expiré");
    }
}

TEST(ParseTable, AnythingButAnObjectGivesEmptyTable)
{
    const std::string_view k_texts[] = {
        "",
        "   \n",
        "[]",
        R"("Expired")",
        R"({"Expired": "Expiré"} x)",
        R"({"Expired": "Expiré"}{})",
        "\xEF\xBB\xBF{\"Expired\": \"Expiré\"}",   // byte-order mark
        "\v{\"Expired\": \"Expiré\"}",             // not JSON white space
        "{\"Expired\": \"Expiré\"}\xC2\xA0",       // no-break space after
        R"({"Expired": "Expiré")",
        R"({"Expired": "Expiré",})",
        "{\"Expired\": \"Expir\xFF\"}",             // invalid UTF-8
        std::string_view("{\"Expired\": \"x\"}\0", 17),
    };
    for (std::string_view text : k_texts) EXPECT_TRUE(parse_table(text).empty()) << text;
}

TEST(ParseTable, DuplicateKeyKeepsLastValue)
{
    const TranslationTable table = parse_table(R"({"Expired": "first", "Other": "x", "Expired": "last"})");
    EXPECT_EQ(table.at("Expired"), "last");
    EXPECT_EQ(table.size(), 2u);
}

TEST(ParseTable, NonStringValuesAreLeftOut)
{
    const TranslationTable table = parse_table(R"({"Expired": 3, "Other": null, "Copy": ["x"], "Valid": "Gültig"})");
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(table.at("Valid"), "Gültig");
}

TEST(Translate, PicksThePairOrTheTableOrEnglish)
{
    const TranslationTable french = parse_table(R"({"Expired": "Expiré", "Personal": ""})");
    struct Case {
        std::string_view language;
        std::string_view expected;
    };
    const Text expired{"만료됨", "Expired"};
    const Case k_cases[] = {
        {"ko", "만료됨"},  // Korean and English never consult a table
        {"en", "Expired"},
        {"fr", "Expiré"},
        {"es", "Expiré"},  // whatever table the caller passes
    };
    for (const Case& c : k_cases) EXPECT_EQ(translate(c.language, expired, french), c.expected) << c.language;
    EXPECT_EQ(translate("fr", {"기타", "Other"}, french), "Other");   // key missing: English
    EXPECT_EQ(translate("fr", {"기타", "Other"}, {}), "Other");
    EXPECT_EQ(translate("fr", {"개인", "Personal"}, french), "");     // an empty translation is still one
}

TEST(FillPlaceholders, ReplacesEachIndexInTurn)
{
    struct Case {
        std::string_view text;
        std::string_view first;
        std::string_view second;
        std::string expected;
    };
    const Case k_cases[] = {
        {"Clean up expired ({0})", "3", "", "Clean up expired (3)"},
        {"만료된 인증서 {0}개 (폴더 {1}곳) 를 휴지통으로 보낼까요?", "2", "3", "만료된 인증서 2개 (폴더 3곳) 를 휴지통으로 보낼까요?"},
        {"{1} before {0}", "a", "b", "b before a"},
        {"{0}{0} and {0}", "x", "", "xx and x"},
        {"{0}", "<{1}{1}>", "b", "<bb>"},    // a value's later placeholder is filled in its turn
        {"{0}|{1}", "{0}", "y", "{0}|y"},    // a value's own placeholder is not filled again
        {"{0", "a", "", "{0"},
        {"{00} {10}", "a", "b", "{00} {10}"},
    };
    for (const Case& c : k_cases) EXPECT_EQ(fill_placeholders(c.text, {c.first, c.second}), c.expected) << c.text;
    EXPECT_EQ(fill_placeholders("{0} of {1}", {"a"}), "a of {1}");  // no value: the placeholder stays
    EXPECT_EQ(fill_placeholders("{1}{0}", {}), "{1}{0}");
}

TEST(EmbeddedTables, OnlyTheEightTableLanguagesHaveOne)
{
    for (const TableLanguage& language : k_table_languages)
        EXPECT_FALSE(embedded_table(language.code).empty()) << language.code;
    for (const char* code : {"en", "ko", "", "ZH-HANS", "zh"}) EXPECT_TRUE(embedded_table(code).empty()) << code;
}

// Everything that can drift between a table and the catalogue, as readable problems (none = sound).
std::vector<std::string> table_problems(std::string_view table, std::string_view web_path)
{
    std::vector<std::string> problems;
    const auto problem = [&](std::string text) { problems.push_back(std::move(text)); };

    std::vector<std::string> line_keys;
    // Layout: "{", one member per line indented by one space, "}", one final line break, LF only.
    if (table.find('\r') != std::string_view::npos) problem("holds a carriage return");
    if (!table.starts_with("{\n") || !table.ends_with("\n}\n") || table.size() < 6) {
        problem("does not start with \"{\" on its own line and end with \"}\" and one line break");
    } else {
        std::vector<std::string_view> lines;
        for (std::string_view rest = table.substr(2, table.size() - 5); !rest.empty();) {
            const size_t end = rest.find('\n');
            lines.push_back(rest.substr(0, end));
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        }
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string_view line = lines[i];
            const std::string where = "line " + std::to_string(i + 2) + ": " + std::string(line);
            if (line.size() < 2 || line[0] != ' ' || line[1] != '"') problem("not indented by one space, " + where);
            const bool last = i + 1 == lines.size();
            if (line.ends_with(',') == last) problem("comma wrong, " + where);
            if (line.ends_with(',')) line.remove_suffix(1);
            const nlohmann::json member = nlohmann::json::parse("{" + std::string(line) + "}", nullptr, false);
            if (!member.is_object() || member.size() != 1) {
                problem("not exactly one member, " + where);
                continue;
            }
            line_keys.push_back(member.begin().key());
        }
    }

    // Keys: exactly the catalogue's English texts, in catalogue order, each once. A JSON object
    // quietly merges a key given twice, so the keys are also taken line by line.
    std::vector<std::string> expected;
    for (const CataloguePair& pair : k_catalogue) expected.emplace_back(pair.english);
    std::vector<std::string> keys;
    for (const auto& member : members_of(table)) keys.push_back(member.first);
    if (keys != expected) problem("keys differ from the catalogue or its order");
    if (line_keys != expected) problem("the lines' keys differ from the catalogue or its order");
    const TranslationTable parsed = parse_table(table);
    if (parsed.size() != k_catalogue_size) problem("holds " + std::to_string(parsed.size()) + " distinct keys");

    // Placeholders: the same {0}/{1} set as the key; no translation left empty.
    for (const CataloguePair& pair : k_catalogue) {
        const auto found = parsed.find(pair.english);
        if (found == parsed.end()) continue;
        if (placeholders_in(found->second) != placeholders_in(pair.english))
            problem("placeholders differ for \"" + std::string(pair.english) + "\"");
        if (found->second.empty()) problem("empty translation for \"" + std::string(pair.english) + "\"");
    }

    // The maker's web page in the language's own path.
    const auto page = parsed.find(k_maker_page_text.english);
    if (page == parsed.end() || page->second != std::string("https://" VESSOP_MAKER_HOST) + std::string(web_path))
        problem("web page does not point at " + std::string(web_path));
    return problems;
}

TEST(EmbeddedTables, MatchTheCatalogueInEveryWay)
{
    for (const TableLanguage& language : k_table_languages) {
        const std::vector<std::string> problems = table_problems(embedded_table(language.code), language.web_path);
        EXPECT_TRUE(problems.empty()) << language.code << ": " << testing::PrintToString(problems);
    }
}

// The check above is only worth something if it notices each kind of drift: spoil a sound table
// one way at a time.
TEST(TableCheck, NoticesEveryKindOfDrift)
{
    const std::string sound(embedded_table("fr"));
    ASSERT_TRUE(table_problems(sound, "/fr/").empty());

    const auto replace_once = [&](std::string_view from, std::string_view to) {
        std::string spoiled = sound;
        const size_t at = spoiled.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) spoiled.replace(at, from.size(), to);
        return spoiled;
    };
    const size_t second_line = sound.find('\n') + 1;
    const size_t third_line = sound.find('\n', second_line) + 1;
    const size_t fourth_line = sound.find('\n', third_line) + 1;
    const std::string line2 = sound.substr(second_line, third_line - second_line);
    const std::string line3 = sound.substr(third_line, fourth_line - third_line);

    struct Case {
        const char* what;
        std::string table;
        const char* web_path;
    };
    const Case k_cases[] = {
        {"a key missing", replace_once(line2, ""), "/fr/"},
        {"an extra key", replace_once(line2, line2 + " \"Extra\": \"En plus\",\n"), "/fr/"},
        {"a key twice", replace_once(line2, line2 + line2), "/fr/"},
        {"two keys swapped", replace_once(line2 + line3, line3 + line2), "/fr/"},
        {"a key misspelt", replace_once("\"Expired\":", "\"expired\":"), "/fr/"},
        {"a placeholder lost", replace_once("\"Emplacement {0}\"", "\"Emplacement 0\""), "/fr/"},
        {"a placeholder added", replace_once("\"Expiré\"", "\"Expiré {1}\""), "/fr/"},
        {"a translation emptied", replace_once("\"Expiré\"", "\"\""), "/fr/"},
        {"two members on one line", replace_once(",\n \"Expires today\"", ", \"Expires today\""), "/fr/"},
        {"indented by two spaces", replace_once("\n \"Expired\"", "\n  \"Expired\""), "/fr/"},
        {"indented by a tab", replace_once("\n \"Expired\"", "\n\t\"Expired\""), "/fr/"},
        {"no final line break", sound.substr(0, sound.size() - 1), "/fr/"},
        {"two final line breaks", sound + "\n", "/fr/"},
        {"CRLF line ends", replace_once("{\n", "{\r\n"), "/fr/"},
        {"a trailing comma", replace_once("\"\n}\n", "\",\n}\n"), "/fr/"},
        {"another language's page", sound, "/de/"},
    };
    for (const Case& c : k_cases) EXPECT_FALSE(table_problems(c.table, c.web_path).empty()) << c.what;
}

TEST(EmbeddedTables, GiveTheKnownTranslations)
{
    struct Case {
        const char* code;
        const char* expired;
        const char* certificates;
        const char* follow_windows;
        const char* current;
    };
    const Case k_cases[] = {
        {"ja", "期限切れ", "共同認証書 {0} 件", "Windows の言語に合わせる", "現在"},
        {"zh-Hans", "已过期", "证书 {0} 个", "跟随 Windows", "当前"},
        {"zh-Hant", "已過期", "憑證 {0} 個", "跟隨 Windows", "目前"},
        {"es", "Caducado", "Certificados: {0}", "Igual que Windows", "actual"},
        {"fr", "Expiré", "Certificats\u00A0: {0}", "Comme Windows", "actuelle"},
        {"de", "Abgelaufen", "Zertifikate: {0}", "Wie Windows", "aktuell"},
        {"pt", "Expirado", "Certificados: {0}", "Igual ao Windows", "atual"},
        {"ru", "Истёк", "Сертификатов: {0}", "Как в Windows", "текущая"},
    };
    for (const Case& c : k_cases) {
        SCOPED_TRACE(c.code);
        const TranslationTable table = parse_table(embedded_table(c.code));
        EXPECT_EQ(translate(c.code, {"만료됨", "Expired"}, table), c.expired);
        EXPECT_EQ(translate(c.code, {"공동인증서 {0}개", "Certificates: {0}"}, table), c.certificates);
        EXPECT_EQ(translate(c.code, {"Windows 언어 따라가기", "Follow Windows"}, table), c.follow_windows);
        EXPECT_EQ(translate(c.code, {"지금", "current"}, table), c.current);
    }
}

TEST(EmbeddedTables, GermanFillsTwoPlaceholdersInItsOwnOrder)
{
    const TranslationTable german = parse_table(embedded_table("de"));
    const std::string_view text =
        translate("de",
                  {"만료된 인증서 {0}개 (폴더 {1}곳) 를 휴지통으로 보낼까요?",
                   "Send the expired certificates to the Recycle Bin? (certificates: {0}, folders: {1})"},
                  german);
    EXPECT_EQ(fill_placeholders(text, {"2", "3"}),
              "Abgelaufene Zertifikate in den Papierkorb verschieben? (Zertifikate: 2, Ordner: 3)");
}

// French sets a no-break space before ':' and inside « », and a narrow one before ';', '?' and '!', so
// that a message box never wraps the sign onto a line of its own. A ':' before "//" is an address's.
bool spaced_the_french_way(std::string_view text)
{
    constexpr wchar_t k_no_break = 0x00A0;
    constexpr wchar_t k_narrow_no_break = 0x202F;
    const std::wstring wide = utf16_from_utf8(text);
    for (size_t i = 0; i < wide.size(); ++i) {
        const wchar_t before = i > 0 ? wide[i - 1] : L'\0';
        const wchar_t after = i + 1 < wide.size() ? wide[i + 1] : L'\0';
        switch (wide[i]) {
        case L':':
            if (before != k_no_break && wide.compare(i + 1, 2, L"//") != 0) return false;
            break;
        case L';':
        case L'?':
        case L'!':
            if (before != k_narrow_no_break) return false;
            break;
        case L'\u00AB':
            if (after != k_no_break) return false;
            break;
        case L'\u00BB':
            if (before != k_no_break) return false;
            break;
        }
    }
    return true;
}

// Chinese punctuation that follows Chinese text is full width: "已复制：", not "已复制:".
bool punctuated_the_chinese_way(std::string_view text)
{
    const std::wstring wide = utf16_from_utf8(text);
    for (size_t i = 1; i < wide.size(); ++i) {
        const wchar_t before = wide[i - 1];
        const bool after_chinese = (before >= 0x3000 && before <= 0x9FFF) || (before >= 0xF900 && before <= 0xFAFF);
        if (after_chinese && std::wstring_view(L":;,?!").find(wide[i]) != std::wstring_view::npos) return false;
    }
    return true;
}

TEST(Typography, ChecksTellSoundTextFromSpoilt)
{
    struct Case {
        std::string_view text;
        bool french;
        bool chinese;
    };
    const Case k_cases[] = {
        {"Copié\u00A0: Numéro", true, true},
        {"Copié : Numéro", false, true},
        {"Copié: Numéro", false, true},
        {"Le remplacer\u202F?", true, true},
        {"Le remplacer ?", false, true},
        {"Le remplacer\u00A0?", false, true},
        {"(signPri.key ; Vessop)", false, true},
        {"utilisez \u00AB\u00A0Copier\u00A0\u00BB.", true, true},
        {"utilisez \u00AB Copier\u00A0\u00BB.", false, true},
        {"utilisez \u00AB\u00A0Copier \u00BB.", false, true},
        {"https://host.example/fr/", true, true},
        {"已复制：", true, true},
        {"已复制:", false, false},
        {"要覆盖吗?", false, false},
        {"要覆盖吗？", true, true},
        {"U 盘 (E:)", false, true},
        {"有新版本可用： 0.2.0", true, true},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(spaced_the_french_way(c.text), c.french) << c.text;
        EXPECT_EQ(punctuated_the_chinese_way(c.text), c.chinese) << c.text;
    }
}

TEST(EmbeddedTables, FrenchKeepsItsNoBreakSpaces)
{
    for (const auto& [key, value] : members_of(embedded_table("fr")))
        EXPECT_TRUE(spaced_the_french_way(value)) << key << " -> " << value;
}

TEST(EmbeddedTables, ChinesePunctuationIsFullWidth)
{
    for (const char* code : {"zh-Hans", "zh-Hant"}) {
        for (const auto& [key, value] : members_of(embedded_table(code))) {
            EXPECT_TRUE(punctuated_the_chinese_way(value)) << code << ": " << key << " -> " << value;
            EXPECT_EQ(value.ends_with("\uFF1A"), key.ends_with(':')) << code << ": " << key << " -> " << value;
        }
    }
}

// The process-wide choice: the setting is read once, at the first lookup, and never again.
TEST(CurrentLanguage, SettingIsReadOnceAtFirstLookup)
{
    write_text_setting("Language", "fr");
    const std::string_view first = current_language();
    write_text_setting("Language", "de");
    delete_settings();
    if (first != "fr") GTEST_SKIP() << "the language was chosen earlier in this process";
    EXPECT_EQ(tr({"만료됨", "Expired"}), "Expiré");
    EXPECT_EQ(current_language(), "fr");
    EXPECT_EQ(tr({"지금", "current"}), "actuelle");
}

// --- Every pair written in the sources as a tr call argument is a catalogue pair ------------------

struct SourcePair {
    std::string korean;
    std::string english;
};

// Reads a run of adjacent string literals ("a" "b") at `at`; false when something else is there (a
// macro such as the web host, a raw string), which the compiler's own check covers anyway.
bool read_literals(std::string_view source, size_t& at, std::string& out)
{
    const auto skip_space = [&] {
        while (at < source.size() && std::isspace(static_cast<unsigned char>(source[at]))) ++at;
    };
    skip_space();
    bool any = false;
    while (at < source.size() && source[at] == '"') {
        any = true;
        for (++at; at < source.size() && source[at] != '"'; ++at) {
            if (source[at] != '\\') {
                out += source[at];
                continue;
            }
            if (++at == source.size()) return false;
            switch (source[at]) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case '\'': out += '\''; break;
            case 'n': out += '\n'; break;
            default: return false;
            }
        }
        if (at == source.size()) return false;
        ++at;
        skip_space();
    }
    return any;
}

std::vector<SourcePair> tr_pairs_in(std::string_view source)
{
    std::vector<SourcePair> pairs;
    constexpr std::string_view k_call = "tr({";
    for (size_t at = source.find(k_call); at != std::string_view::npos; at = source.find(k_call, at + 1)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(source[at - 1])) || source[at - 1] == '_')) continue;
        size_t cursor = at + k_call.size();
        SourcePair pair;
        if (!read_literals(source, cursor, pair.korean) || cursor >= source.size() || source[cursor] != ',') continue;
        ++cursor;
        if (!read_literals(source, cursor, pair.english) || cursor >= source.size() || source[cursor] != '}') continue;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

TEST(SourceScan, EveryTextTheCodeAsksForIsInTheCatalogue)
{
    std::string root = VESSOP_SOURCE_DIR;
    if (root.starts_with('/')) root = "Z:" + root;  // a Linux source tree seen from Wine
    size_t checked = 0;
    for (const char* folder : {"app", "base", "x509", "npki", "i18n", "fileops", "gfx", "tests", "bench"}) {
        const std::filesystem::path dir = utf16_from_utf8(root + "/" + folder);
        std::error_code error;
        if (!std::filesystem::is_directory(dir, error)) continue;
        for (const auto& item : std::filesystem::recursive_directory_iterator(dir, error)) {
            const auto extension = item.path().extension();
            if (extension != ".cpp" && extension != ".h") continue;
            std::ifstream file(item.path(), std::ios::binary);
            const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            for (const SourcePair& pair : tr_pairs_in(source)) {
                ++checked;
                EXPECT_TRUE(catalogue_index(pair.korean, pair.english).has_value())
                    << item.path().string() << ": {\"" << pair.korean << "\", \"" << pair.english << "\"}";
            }
        }
    }
    EXPECT_GT(checked, 0u) << "no tr({...}) call found under " << root;  // at least this file's own
}

}  // namespace
