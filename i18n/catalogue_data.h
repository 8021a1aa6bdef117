#pragma once

// Every text the user can see, as {Korean, English} pairs. The English text is the key of the
// translation tables, and each table lists its keys in exactly this order, so keep the order when
// adding a text and add the key to every table in i18n/*.json at the same position.

#include <cstddef>
#include <iterator>
#include <string_view>

#ifndef VESSOP_MAKER_HOST
#error "VESSOP_MAKER_HOST (the maker's web host, a string literal) must come from the build"
#endif

struct CataloguePair {
    std::string_view korean;
    std::string_view english;
};

inline constexpr CataloguePair k_catalogue[] = {
    {"만료됨", "Expired"},
    {"오늘 만료", "Expires today"},
    {"개인", "Personal"},
    {"사업자", "Business"},
    {"폴더 추가", "Add folder"},
    {"만료된 것 정리 ({0})", "Clean up expired ({0})"},
    {"휴지통", "Recycle"},
    {"폴더 열기", "Open folder"},
    {"복사", "Copy"},
    {"이름 (CN)", "Name (CN)"},
    {"주체", "Subject"},
    {"발급자", "Issuer"},
    {"발급 기관", "Issued by"},
    {"용도", "Purpose"},
    {"정책 OID", "Policy OID"},
    {"없음", "None"},
    {"유효 기간", "Valid"},
    {"남은 기간", "Time left"},
    {"일련번호", "Serial number"},
    {"지문 (SHA-1)", "Thumbprint (SHA-1)"},
    {"지문 (SHA-256)", "Thumbprint (SHA-256)"},
    {"개인 키", "Private key"},
    {"있음 (signPri.key, Vessop 는 열지 않습니다)", "Present (signPri.key; Vessop never opens it)"},
    {"없는 곳이 있음: 그 사본으로는 로그인할 수 없습니다", "Missing in some places: that copy can't be used to sign in"},
    {"암호화용 인증서", "Encryption certificate"},
    {"있음 (kmCert.der)", "Present (kmCert.der)"},
    {"저장 위치 {0}", "Location {0}"},
    {"저장 위치", "Location"},
    {"모두 복사", "Copy all"},
    {"공동인증서를 찾고 있습니다", "Looking for certificates"},
    {"공동인증서가 없습니다", "No certificates found"},
    {"공동인증서 {0}개", "Certificates: {0}"},
    {"하드 디스크와 USB 드라이브의 NPKI 폴더 {0}곳을 살폈습니다", "NPKI folders checked on hard disks and USB drives: {0}"},
    {"곧 만료 {0}", "{0} expiring soon"},
    {"만료 {0}", "{0} expired"},
    {"USB 에 든 인증서는 USB 를 꽂으면 바로 나타납니다. 다른 곳에 둔 인증서는 '폴더 추가' 로 넣으세요.", "Certificates on a USB drive show up as soon as you plug it in. For other places, use 'Add folder'."},
    {"{0} 까지", "until {0}"},
    {"{0}곳에 있음", "In {0} places"},
    {"개인 키 없음", "Private key missing"},
    {"줄을 누르면 그 값을 복사합니다", "Click a row to copy its value"},
    {"모든 곳 ({0})", "All places ({0})"},
    {"USB 드라이브 ({0}) 로", "To USB drive ({0})"},
    {"시험용 폴더로", "To the test folder"},
    {"이 PC 의 기본 위치로 (LocalLow\\NPKI)", "To this PC's default place (LocalLow\\NPKI)"},
    {"다른 폴더 고르기…", "Choose another folder…"},
    {"인증서를 복사할 곳", "Where to copy the certificate"},
    {"이미 그곳에 있는 인증서입니다", "This certificate is already there"},
    {"복사할 곳에 같은 이름의 인증서 폴더가 이미 있습니다.", "A certificate folder with the same name is already there."},
    {"덮어쓸까요?", "Overwrite it?"},
    {"복사했습니다:", "Copied to"},
    {"복사하지 못했습니다.", "Couldn't copy."},
    {"USB 드라이브에는 휴지통이 없어 Vessop 는 지우지 않습니다. 정말 지우려면 '폴더 열기' 로 탐색기에서 직접 지우세요.", "USB drives have no Recycle Bin, so Vessop won't delete there. To delete it anyway, use 'Open folder' and delete it in File Explorer."},
    {"이 인증서 폴더를 휴지통으로 보낼까요?", "Send this certificate folder to the Recycle Bin?"},
    {"휴지통에서 되살릴 수 있습니다.", "You can restore it from the Recycle Bin."},
    {"USB 드라이브에 있는 것은 그대로 둡니다.", "Copies on USB drives are left alone."},
    {"휴지통으로 보냈습니다", "Sent to the Recycle Bin"},
    {"일부를 보내지 못했습니다", "Some couldn't be moved"},
    {"만료된 인증서가 모두 USB 드라이브에 있습니다. USB 드라이브에는 휴지통이 없어 Vessop 는 지우지 않습니다.", "All expired certificates are on USB drives. USB drives have no Recycle Bin, so Vessop won't delete there."},
    {"… 외 {0}개", "… and {0} more"},
    {"만료된 인증서 {0}개 (폴더 {1}곳) 를 휴지통으로 보낼까요?", "Send the expired certificates to the Recycle Bin? (certificates: {0}, folders: {1})"},
    {"{0}곳을 휴지통으로 보냈습니다", "Folders sent to the Recycle Bin: {0}"},
    {"인증서가 있는 폴더 (NPKI 폴더나 그 위)", "Folder with certificates (an NPKI folder or above)"},
    {"Windows 언어 따라가기", "Follow Windows"},
    {"언어", "Language"},
    {"추가한 폴더 빼기", "Remove an added folder"},
    {"자동 업데이트", "Automatic updates"},
    {"업데이트 확인", "Check for updates"},
    {"Orlentu 의 다른 프로그램", "More apps from Orlentu"},
    {"Vessop 정보", "About Vessop"},
    {"https://" VESSOP_MAKER_HOST "/ko/", "https://" VESSOP_MAKER_HOST "/"},  // the maker's web page
    {"공동인증서(옛 공인인증서)를 한 화면에서 보고 관리하는 무료 프로그램", "A free app to see and manage Korean joint certificates (NPKI) on one screen"},
    {"공개 인증서만 읽습니다. 개인 키 파일은 열지 않고, 비밀번호를 묻지 않습니다.", "It reads only the public certificate. It never opens private key files or asks for passwords."},
    {"다음에 열 때 바뀝니다", "Takes effect the next time Vessop opens"},
    {"복사했습니다:", "Copied:"},
    {"자세한 정보를 모두 복사했습니다", "Copied all details"},
    {"업데이트 확인 중…", "Checking for updates…"},
    {"새 버전이 있습니다:", "A new version is available:"},
    {"지금", "current"},
    {"지금 업데이트할까요?", "Update now?"},
    {"업데이트 받는 중…", "Downloading update…"},
    {"최신 버전입니다", "You're up to date"},
    {"USB 드라이브", "USB drive"},
    {"하드 디스크", "Hard disk"},
    {"범용", "All-purpose"},
    {"은행·보험용", "Banking & insurance"},
    {"증권용", "Securities"},
    {"전자세금계산서용", "E-tax invoice"},
    {"특수 목적용", "Special purpose"},
    {"기타", "Other"},
    {"다운로드하지 못했습니다", "Download failed"},
    {"받은 파일 크기가 다릅니다", "Downloaded size mismatch"},
    {"받은 파일이 손상되었습니다 (해시 불일치)", "Downloaded file is corrupt (hash mismatch)"},
    {"설치 파일의 디지털 서명을 확인할 수 없습니다", "The installer's digital signature could not be verified"},
    {"메뉴", "Menu"},
    {"새로 고침", "Refresh"},
    {"닫기", "Close"},
    {"공동인증서 목록", "Certificate list"},
};

inline constexpr size_t k_catalogue_size = std::size(k_catalogue);
static_assert(k_catalogue_size == 97);
