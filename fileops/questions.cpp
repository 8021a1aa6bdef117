#include "fileops/questions.h"

#include "base/text.h"
#include "x509/dates.h"
#include "x509/policy.h"

namespace {

Text restore_hint() { return {"휴지통에서 되살릴 수 있습니다.", "You can restore it from the Recycle Bin."}; }
Text usb_left_alone() { return {"USB 드라이브에 있는 것은 그대로 둡니다.", "Copies on USB drives are left alone."}; }

}  // namespace

std::string entry_label(const CertificateEntry& entry, Translate translate, std::string_view language)
{
    // The name and the issuer come from the certificate or its folder's name: no control in them may
    // reach the question as such.
    const CertificateCopy* first_copy = first_copy_of(entry);
    return with_controls_replaced(holder_name(entry.info.subject_cn) + " (" +
                                  issuer_display_name(entry.info, first_copy, language) + ", " +
                                  until_text(entry.info, translate) + ")");
}

RecycleSelection select_for_recycling(const std::vector<CertificateCopy>& copies, const std::vector<size_t>& chosen)
{
    RecycleSelection selection;
    for (size_t index : chosen) {
        if (index >= copies.size()) continue;
        const CertificateCopy& copy = copies[index];
        if (copy.removable) {
            selection.any_usb = true;
        } else {
            selection.folders.push_back(copy.folder);
        }
    }
    return selection;
}

std::string recycle_question(const CertificateEntry& entry, const RecycleSelection& selection, Translate translate,
                             std::string_view language)
{
    std::string text(translate({"이 인증서 폴더를 휴지통으로 보낼까요?", "Send this certificate folder to the Recycle Bin?"}));
    text += "\n\n";
    text += entry_label(entry, translate, language);
    text += "\n";
    for (size_t i = 0; i < selection.folders.size(); ++i) {
        if (i > 0) text += "\n";
        text += with_controls_replaced(utf8_from_utf16(selection.folders[i]));
    }
    text += "\n\n";
    text += translate(restore_hint());
    if (selection.any_usb) {
        text += "\n";
        text += translate(usb_left_alone());
    }
    return text;
}

std::string recycled_notice(size_t recycled, size_t attempted, Translate translate)
{
    return std::string(recycled == attempted ? translate({"휴지통으로 보냈습니다", "Sent to the Recycle Bin"})
                                             : translate({"일부를 보내지 못했습니다", "Some couldn't be moved"}));
}

CleanUpPlan plan_clean_up(const std::vector<CertificateEntry>& entries, int64_t now)
{
    CleanUpPlan plan;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!is_expired(entries[i].info, now)) continue;
        plan.expired.push_back(i);
        for (const CertificateCopy& copy : entries[i].copies) {
            if (copy.removable) {
                plan.any_usb = true;
            } else {
                plan.folders.push_back(copy.folder);
            }
        }
    }
    return plan;
}

std::string clean_up_question(const std::vector<CertificateEntry>& entries, const CleanUpPlan& plan,
                              Translate translate, std::string_view language)
{
    const size_t count = plan.expired.size();
    std::string text = fill_placeholders(
        translate({"만료된 인증서 {0}개 (폴더 {1}곳) 를 휴지통으로 보낼까요?",
                   "Send the expired certificates to the Recycle Bin? (certificates: {0}, folders: {1})"}),
        {std::to_string(count), std::to_string(plan.folders.size())});
    text += "\n\n";
    const size_t listed = count < k_clean_up_listed ? count : k_clean_up_listed;
    for (size_t i = 0; i < listed; ++i) {
        if (i > 0) text += "\n";
        text += "\xE2\x80\xA2 ";  // bullet
        text += entry_label(entries[plan.expired[i]], translate, language);
    }
    if (count > k_clean_up_listed) {
        text += "\n";
        text += fill_placeholders(translate({"… 외 {0}개", "… and {0} more"}), {std::to_string(count - k_clean_up_listed)});
    }
    text += "\n\n";
    text += translate(restore_hint());
    if (plan.any_usb) {
        text += "\n";
        text += translate(usb_left_alone());
    }
    return text;
}

std::string cleaned_up_notice(size_t recycled, Translate translate)
{
    return fill_placeholders(translate({"{0}곳을 휴지통으로 보냈습니다", "Folders sent to the Recycle Bin: {0}"}),
                             {std::to_string(recycled)});
}
