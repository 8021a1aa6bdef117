#include "trust/directory.h"

#include "base/clock.h"
#include "base/handle.h"
#include "base/text.h"

#include <algorithm>
#include <string>

#include <windows.h>
#include <winldap.h>

namespace {

using Connection = UniqueHandle<NullHandleTraits<LDAP*, &::ldap_unbind>>;
using Message = UniqueHandle<NullHandleTraits<LDAPMessage*, &::ldap_msgfree>>;
using Values = UniqueHandle<NullHandleTraits<berval**, &::ldap_value_free_len>>;

// The attribute names a list may come under, in the order they are taken.
std::vector<std::wstring> wanted_attributes(const DistributionPoint& point)
{
    std::vector<std::wstring> names;
    if (!point.attribute.empty()) names.push_back(utf16_from_utf8(point.attribute));
    for (const wchar_t* name : {L"certificateRevocationList;binary", L"certificateRevocationList",
                                L"authorityRevocationList;binary", L"authorityRevocationList"})
        names.emplace_back(name);
    return names;
}

// The seconds left before `deadline`, at least 1 (a time-out of 0 seconds only polls).
l_timeval remaining(double deadline)
{
    const double left = std::max(1.0, deadline - monotonic_seconds());
    return l_timeval{static_cast<LONG>(std::min(left, 3600.0)), 0};
}

// Waits for the result of message `id`; none on a time-out or an error (the request is then abandoned).
std::optional<ULONG> wait_for(LDAP* ld, ULONG id, double deadline, Message& result)
{
    l_timeval timeout = remaining(deadline);
    const ULONG type = ldap_result(ld, id, LDAP_MSG_ALL, &timeout, result.put());
    if (type == 0 || type == static_cast<ULONG>(-1) || !result) {
        ldap_abandon(ld, id);
        return std::nullopt;
    }
    return type;
}

}  // namespace

FetchedList fetch_from_directory(const DistributionPoint& point, const FetchLimits& limits)
{
    FetchedList fetched;
    fetched.failure = UnknownWhy::Unreachable;
    if (point.scheme != PointScheme::Ldap) return fetched;
    const double deadline = monotonic_seconds() + limits.total_seconds;

    std::wstring host = utf16_from_utf8(point.host);
    Connection ld(ldap_initW(host.data(), point.port));
    if (!ld.get()) return fetched;
    ULONG version = LDAP_VERSION3;
    ldap_set_optionW(ld.get(), LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_optionW(ld.get(), LDAP_OPT_REFERRALS, LDAP_OPT_OFF);  // a referral would lead to another server
    l_timeval connect_timeout{limits.connect_seconds, 0};
    if (ldap_connect(ld.get(), &connect_timeout) != LDAP_SUCCESS) return fetched;

    // Anonymous simple bind, waited for with our own time-out.
    const ULONG bind_id = ldap_simple_bindW(ld.get(), nullptr, nullptr);
    if (bind_id == static_cast<ULONG>(-1)) return fetched;
    {
        Message bound;
        if (!wait_for(ld.get(), bind_id, deadline, bound) || ldap_result2error(ld.get(), bound.get(), FALSE) != LDAP_SUCCESS)
            return fetched;
    }

    std::wstring base = utf16_from_utf8(point.dn);
    std::wstring filter = L"(objectClass=*)";
    std::vector<std::wstring> names = wanted_attributes(point);
    std::vector<PWCHAR> attributes;
    for (std::wstring& name : names) attributes.push_back(name.data());
    attributes.push_back(nullptr);
    ULONG search_id = 0;
    const ULONG time_limit = static_cast<ULONG>(std::max(1, limits.total_seconds));
    if (ldap_search_extW(ld.get(), base.data(), LDAP_SCOPE_BASE, filter.data(), attributes.data(), 0, nullptr, nullptr,
                         time_limit, 1, &search_id) != LDAP_SUCCESS)
        return fetched;
    Message found;
    if (!wait_for(ld.get(), search_id, deadline, found) || ldap_result2error(ld.get(), found.get(), FALSE) != LDAP_SUCCESS)
        return fetched;
    LDAPMessage* entry = ldap_first_entry(ld.get(), found.get());
    if (!entry) return fetched;
    for (std::wstring& name : names) {
        Values values(ldap_get_values_lenW(ld.get(), entry, name.data()));
        if (!values || ldap_count_values_len(values.get()) == 0 || !values.get()[0]) continue;
        const berval& value = *values.get()[0];
        if (value.bv_len > limits.max_bytes) {
            fetched.failure = UnknownWhy::TooLarge;
            return fetched;
        }
        if (value.bv_len == 0) continue;
        fetched.bytes.assign(reinterpret_cast<const uint8_t*>(value.bv_val),
                             reinterpret_cast<const uint8_t*>(value.bv_val) + value.bv_len);
        fetched.failure.reset();
        return fetched;
    }
    return fetched;
}
