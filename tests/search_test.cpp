#include "gfx/view_text.h"
#include "npki/inventory_csv.h"
#include "npki/search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string_view korean(Text text) { return text.korean; }
std::string_view english(Text text) { return text.english; }

CertificateEntry searchable(std::string cn, std::string serial, std::wstring folder = L"C:\\NPKI\\yessign\\USER\\a",
                             bool removable = false)
{
    CertificateEntry e;
    e.info.subject_cn = std::move(cn);
    e.info.issuer_dn = "CN=yessignCA Class 2,O=yessign,C=kr";
    e.info.issuer_org = "yessign";
    e.info.issuer_cn = "yessignCA Class 2";
    e.info.serial_hex = std::move(serial);
    e.info.sha1_hex = "3FA0B1C2D3E4F5061728394A5B6C7D8E9F0A1B2C";
    e.info.sha256_hex = "ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789";
    e.info.policy_oids = {"1.2.410.200005.1.1.1"};  // personal, all-purpose
    e.info.not_before = 1700000000;
    e.info.not_after = 1900000000;
    CertificateCopy copy;
    copy.folder = std::move(folder);
    copy.ca_folder_name = "yessign";
    copy.drive = removable ? "E:" : "C:";
    copy.removable = removable;
    copy.has_private_key = true;
    e.copies.push_back(copy);
    return e;
}

bool finds(std::string_view query, const CertificateEntry& entry)
{
    return search_matches(parse_search_query(query), search_key(entry, &english, "en"));
}

TEST(Search, WordsCaseAndFields)
{
    CertificateEntry hong = searchable("홍길동()0012345678901234", "01A2FF", L"D:\\Office\\Clients\\NPKI");
    CertificateEntry company = searchable("(주)가나다()0098765", "77", L"E:\\NPKI\\yessign\\USER\\b", true);
    hong.info.trust = TrustState::Licensed;
    company.info.trust = TrustState::Damaged;
    const struct {
        const char* query;
        bool hong;
        bool company;
    } k_cases[] = {
        {"", true, true},                  // an empty query lists everything
        {"   ", true, true},
        {"홍", true, false},
        {"길동 홍", true, false},            // every word, in any order
        {"홍 가나다", false, false},
        {"0012345678", true, false},       // the CN's identifier digits
        {"YESSIGN", true, true},           // case ignored; CA folder and issuer
        {"kftc", true, true},              // issuer's English name
        {"금융결제원", true, true},          // and its Korean one, whatever the language
        {"all-purpose", true, true},       // purpose label as shown
        {"personal", true, true},          // holder kind label
        {"2030", true, true},              // the until date as shown (2030-03-18)
        {"01a2ff", true, false},           // serial
        {"3fa0", true, true},              // SHA-1 from its start
        {"a0b1", false, false},            // but not from its middle
        {"abcdef01", true, true},          // SHA-256 from its start
        {"clients", true, false},          // a copy's folder
        {"usb drive (e:)", false, true},   // a copy's place label
        {"ㅎㄱㄷ", true, false},            // initial consonants
        {"ㄱㄷ", true, false},              // a run inside the name
        {"ㅎㄷ", false, false},             // not in a row
        {"ㄱㄴㄷ", false, true},            // (주)가나다: the brackets do not break the run
        {"ㅈㄱㄴㄷ", false, true},
        {"ㅎㄱㄷ yessign", true, false},
        {"ㅎ길", false, false},             // mixed jamo and syllables is a plain word
        {"damaged", false, true},          // the issuer check's badge; a licensed card has none
        {"licensed", false, false},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(finds(c.query, hong), c.hong) << c.query;
        EXPECT_EQ(finds(c.query, company), c.company) << c.query;
    }
}

TEST(Search, DoubleConsonantsAndFullLowerCasing)
{
    const CertificateEntry kkachi = searchable("까치빵집", "1");
    const CertificateEntry greek = searchable("ΟΔΥΣΣΕΥΣ", "2");
    const CertificateEntry turkish = searchable("İSTANBUL", "3");
    EXPECT_TRUE(finds("ㄲㅊ", kkachi));
    EXPECT_TRUE(finds("ㄲㅊㅃㅈ", kkachi));
    EXPECT_FALSE(finds("ㄲㅊㅃㅉ", kkachi));  // 집 begins with ㅈ
    EXPECT_FALSE(finds("ㄱㅊ", kkachi));  // ㄲ is a consonant of its own
    EXPECT_TRUE(finds("οδυσσευς", greek));  // final sigma on both sides
    EXPECT_TRUE(finds("ΟΔΥΣ", greek));
    EXPECT_TRUE(finds("i̇stanbul", turkish));  // U+0130 lower-cases to i and a combining dot
}

TEST(Search, NarrowingIsOnlyClaimedWhenItHolds)
{
    const struct {
        const char* before;
        const char* after;
        bool narrows;
    } k_cases[] = {
        {"홍", "홍길", true}, {"3f", "3fa", true},   {"a", "a b", true}, {"a b", "b a", true},
        {"홍길", "홍", false}, {"ab", "b", false},   {"a b", "a", false}, {"", "a", true},
        {"bc", "abc", false},  // "abc" at a hash's start does not put "bc" there
    };
    for (const auto& c : k_cases)
        EXPECT_EQ(query_narrows(parse_search_query(c.before), parse_search_query(c.after)), c.narrows)
            << c.before << " -> " << c.after;
}

TEST(Search, ListFilterKeepsOrderThePinnedPaneAndGivesTheWholeListBack)
{
    std::vector<CertificateEntry> whole = {searchable("홍길동", "1"), searchable("홍길순", "2"),
                                           searchable("김철수", "3"), searchable("홍두깨", "4")};
    const std::vector<SearchKey> keys = search_keys(whole, &english, "en");
    ListFilter filter;
    // The listed entries are read through the filter's indices: no entry is ever copied.
    const auto serials = [&] {
        const ListedEntries listed(whole, filter);
        std::string out;
        for (size_t i = 0; i < listed.size(); ++i) out += listed[i].info.serial_hex;
        return out;
    };
    const auto type = [&](std::string_view typed, std::optional<size_t> keep) {
        set_list_query(filter, whole.size(), keys, typed, keep);
        return serials();
    };

    EXPECT_EQ(type("홍", std::nullopt), "124");
    EXPECT_EQ(type("홍길", std::nullopt), "12");  // narrows in place
    EXPECT_EQ(filter.listed_at, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(type("홍길", 2), "123");  // the open pane's certificate stays
    EXPECT_EQ(listed_index(filter, 2), std::optional<size_t>(2));
    EXPECT_EQ(listed_index(filter, 3), std::nullopt);
    EXPECT_EQ(whole_index(filter, 2), 2u);
    EXPECT_EQ(type("홍길순", 2), "23");
    EXPECT_EQ(type("홍", std::nullopt), "124");  // widening searches the whole list again
    EXPECT_EQ(type("zzz", std::nullopt), "");
    EXPECT_TRUE(filter.active);
    EXPECT_EQ(type("", std::nullopt), "1234");
    EXPECT_FALSE(filter.active);
    EXPECT_TRUE(filter.listed_at.empty());
    EXPECT_EQ(whole_index(filter, 3), 3u);

    // A scan result under an active query: the new whole list, filtered.
    EXPECT_EQ(type("김", std::nullopt), "3");
    whole = {searchable("김영희", "5"), searchable("김철수", "3")};
    relist(filter, whole.size(), search_keys(whole, &english, "en"), std::nullopt);
    EXPECT_EQ(serials(), "53");
    // Without a query a new list is listed whole, as it is.
    set_list_query(filter, whole.size(), keys, "", std::nullopt);
    relist(filter, whole.size(), keys, std::nullopt);
    EXPECT_EQ(serials(), "53");
}

TEST(Search, HeadlineAndNoMatchTexts)
{
    EXPECT_EQ(filtered_headline(2, 30, &english), "Certificates: 2 of 30");
    EXPECT_EQ(filtered_headline(2, 30, &korean), "공동인증서 30개 중 2개");
    EXPECT_EQ(no_match_text("  홍길동 ", &english), "No certificate matches “홍길동”");
    EXPECT_EQ(no_match_text("ㅎㄱㄷ", &korean), "“ㅎㄱㄷ”에 맞는 공동인증서가 없습니다");
}

TEST(Csv, CellsAreQuotedAndGuardedAgainstFormulas)
{
    const struct {
        std::string text;
        std::string cell;
    } k_cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line\nfeed", "\"line\nfeed\""},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+1", "'+1"},
        {"-1+2", "'-1+2"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"\n=1", "\"'\n=1\""},
        {"  =1", "'  =1"},  // the first character other than a space counts
        {" -x", "' -x"},
        {"\xEF\xBC\x9D" "1", "'\xEF\xBC\x9D" "1"},  // full-width ＝ ＋ － ＠
        {"\xEF\xBC\x8B" "1", "'\xEF\xBC\x8B" "1"},
        {" \xEF\xBC\x8D" "1", "' \xEF\xBC\x8D" "1"},
        {"\xEF\xBC\xA0" "x", "'\xEF\xBC\xA0" "x"},
        {"-5", "-5"},  // a plain integer stays a number: days left after the end
        {"-", "'-"},
        {"12", "12"},
        {"   ", "   "},
        {"a=b", "a=b"},  // only a leading sign starts a formula
        {"홍길동", "홍길동"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(csv_cell(c.text), c.cell) << c.text;
    EXPECT_EQ(csv_row({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

TEST(Csv, TableHasBomHeaderOneRowPerCertificateAndLongNamesWhole)
{
    std::vector<CertificateEntry> entries = {searchable("홍길동()0012345678901234", "0A"),
                                             searchable(std::string(100000, 'x'), "0B")};
    CertificateCopy usb = entries[0].copies[0];
    usb.folder = L"E:\\NPKI\\yessign\\USER\\a";
    usb.drive = "E:";
    usb.removable = true;
    usb.has_private_key = false;
    usb.differs = true;  // its bytes are not the first copy's: the check names its folder
    entries[0].copies.push_back(usb);
    entries[0].info.trust = TrustState::Damaged;
    const std::string csv = inventory_csv(entries, 1800000000, "en", &english);
    ASSERT_TRUE(csv.starts_with(k_utf8_bom)) << csv.substr(0, 600);
    EXPECT_TRUE(csv.substr(3).starts_with("Holder,Issued by,Purpose,Holder type,Valid from,Valid until,Days left,"
                                          "Status,Serial number,Thumbprint (SHA-1),Thumbprint (SHA-256),Private key,"
                                          "Encryption certificate,Location,Issuer check,Revocation\r\n"));
    EXPECT_NE(csv.find("\r\n홍길동,KFTC (yessign),All-purpose,Personal,2023-11-15,2030-03-18,"), std::string::npos);
    EXPECT_NE(csv.find(",Yes,No,\"Hard disk (C:) \xC2\xB7 C:\\NPKI\\yessign\\USER\\a\nUSB drive (E:) \xC2\xB7 "
                       "E:\\NPKI\\yessign\\USER\\a\",Damaged: the copies are not the same file (E:\\NPKI\\yessign\\USER\\a),\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("\r\n" + std::string(100000, 'x') + ","), std::string::npos);
    // Three lines: the header and two rows; the line feed inside the places cell is not a row end.
    size_t rows = 0;
    for (size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2)) ++rows;
    EXPECT_EQ(rows, 3u);
    EXPECT_TRUE(inventory_csv(entries, 1800000000, "ko", &korean).substr(3).starts_with("소유자,발급 기관,"));
}

}  // namespace
