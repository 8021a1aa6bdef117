#include "fileops/destinations.h"

#include "base/text.h"
#include "i18n/catalogue.h"
#include "npki/scanner.h"

Path destination_folder(const Path& target, const CertificateCopy& copy)
{
    const Path base = is_folder_named(last_component(target), "NPKI") ? target : join_path(target, L"NPKI");
    const Path ca = copy.ca_folder_name.empty() ? Path(L"unknown") : utf16_from_utf8(copy.ca_folder_name);
    return join_path(join_path(join_path(base, ca), L"USER"), last_component(copy.folder));
}

Path default_place(const Path& user_profile) { return join_path(user_profile, L"AppData\\LocalLow\\NPKI"); }

std::vector<Destination> destination_choices(const std::vector<DriveInfo>& drives,
                                             const std::vector<Path>& command_line_roots,
                                             const std::optional<Path>& user_profile,
                                             const std::vector<CertificateCopy>& copies, Translate translate)
{
    std::vector<Destination> destinations;
    for (const DriveInfo& drive : drives) {
        if (!drive.removable) continue;
        std::wstring_view name = drive.root;
        while (name.ends_with(L'\\')) name.remove_suffix(1);
        destinations.push_back({fill_placeholders(translate({"USB 드라이브 ({0}) 로", "To USB drive ({0})"}),
                                                  {with_controls_replaced(utf8_from_utf16(name))}),
                                drive.root});
    }
    if (!command_line_roots.empty()) {
        for (const Path& root : command_line_roots) {
            destinations.push_back({std::string(translate({"시험용 폴더로", "To the test folder"})) + " (" +
                                        with_controls_replaced(utf8_from_utf16(root)) + ")",
                                    root});
        }
    } else if (user_profile) {
        const Path target = default_place(*user_profile);
        bool already_there = false;
        for (const CertificateCopy& copy : copies)
            already_there = already_there || path_key(copy.folder) == path_key(destination_folder(target, copy));
        if (!already_there) {
            destinations.push_back(
                {std::string(translate({"이 PC 의 기본 위치로 (LocalLow\\NPKI)", "To this PC's default place (LocalLow\\NPKI)"})),
                 target});
        }
    }
    return destinations;
}

std::vector<MenuItem> destination_menu_items(const std::vector<Destination>& destinations, Translate translate)
{
    std::vector<MenuItem> items;
    for (const Destination& destination : destinations) items.push_back({destination.label});
    if (!items.empty()) items.push_back(menu_separator());
    items.push_back({std::string(translate({"다른 폴더 고르기…", "Choose another folder…"}))});
    return items;
}

DestinationAnswer destination_for_menu_id(uint32_t id, size_t destination_count)
{
    if (id == 0) return {};
    if (id <= destination_count) return {DestinationPick::Place, id - 1};
    // The last item; with places before it, a separator sits in between and uses up an id.
    const size_t other = destination_count == 0 ? 1 : destination_count + 2;
    if (id == other) return {DestinationPick::OtherFolder, 0};
    return {};
}

bool lands_on_own_copy(const Path& destination, const std::vector<CertificateCopy>& copies)
{
    const std::string key = path_key(destination);
    for (const CertificateCopy& copy : copies)
        if (path_key(copy.folder) == key) return true;
    return false;
}

std::string overwrite_question(const Path& destination, Translate translate)
{
    return std::string(translate({"복사할 곳에 같은 이름의 인증서 폴더가 이미 있습니다.",
                                  "A certificate folder with the same name is already there."})) +
           "\n\n" + with_controls_replaced(utf8_from_utf16(destination)) + "\n\n" + std::string(translate({"덮어쓸까요?", "Overwrite it?"}));
}

std::string copy_failed_text(std::string_view system_text, Translate translate)
{
    return std::string(translate({"복사하지 못했습니다.", "Couldn't copy."})) + "\n\n" + std::string(system_text);
}

std::string copied_notice(const Path& destination, Translate translate)
{
    return std::string(translate({"복사했습니다:", "Copied to"})) + " " + with_controls_replaced(utf8_from_utf16(destination));
}
