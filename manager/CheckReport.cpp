// A check's result turned into the row's texts.
#include "manager/CheckReport.h"

#include "manager/ids/ComputerListIds.h"
#include "model/Text.h"

namespace velmora {
namespace {

constexpr std::uint32_t kErrorBadNetName = 67;
constexpr std::uint32_t kRpcServerUnavailable = 1722;
constexpr std::uint32_t kHresultWin32 = 0x80070000;  // a Windows error carried as an HRESULT
constexpr std::uint32_t kNetworkUnreachable = 10051;  // WSAENETUNREACH
constexpr std::uint32_t kHostUnreachable = 10065;     // WSAEHOSTUNREACH: nobody answered for the address

std::u16string Trimmed(std::u16string text) {
    const std::size_t end = text.find_last_not_of(u" \t\r\n.");
    text.erase(end == std::u16string::npos ? 0 : end + 1);
    return text;
}

// The system's text, or the number when it has none.
std::u16string SystemText(const CheckTexts& texts, std::uint32_t code) {
    std::u16string text = Trimmed(texts.system(code));
    return text.empty() ? DecimalText(static_cast<std::int32_t>(code)) : text;
}

std::u16string StepName(const CheckTexts& texts, CheckStep step) {
    return PartOf(texts.string(IDS_CHECK_STEP_NAMES), static_cast<int>(step) - 1);
}

std::u16string Hint(const CheckTexts& texts, const CheckFinding& finding) {
    const CheckHint hint = HintFor(finding);
    return hint == CheckHint::kNone ? std::u16string() : PartOf(texts.string(IDS_CHECK_HINTS), static_cast<int>(hint) - 1);
}

std::u16string TipLine(const CheckTexts& texts, int id, const CheckFinding& finding) {
    std::u16string line = FillIn(texts.string(id), {DecimalText(static_cast<int>(finding.step)),
                                                    StepName(texts, finding.step), CodeText(finding.code)});
    if (const std::u16string hint = Hint(texts, finding); !hint.empty())
        line += u" " + hint + u".";
    return line;
}

}  // namespace

CheckHint HintFor(const CheckFinding& finding) {
    // WMI gives the Windows errors of its connection as HRESULTs.
    const std::uint32_t code =
        (finding.code & 0xFFFF0000u) == kHresultWin32 ? finding.code & 0xFFFFu : finding.code;
    switch (finding.step) {
        case CheckStep::kResolve:
            return CheckHint::kName;
        case CheckStep::kSharingPort:
            return code == kHostUnreachable || code == kNetworkUnreachable ? CheckHint::kUnreachable
                                                                           : CheckHint::kSharing;
        case CheckStep::kRpcPort:
            return CheckHint::kRpcFirewall;
        case CheckStep::kWakeMac:
            return CheckHint::kMac;
        case CheckStep::kWakePort:
            return CheckHint::kWakePort;
        case CheckStep::kWakeAddress:
            return CheckHint::kWakeAddress;
        case CheckStep::kEcho:
            return CheckHint::kNone;
        case CheckStep::kShare:
        case CheckStep::kWorkstation:
        case CheckStep::kWmi:
            break;
    }
    switch (code) {
        case kErrorLogonFailure:
            return CheckHint::kLogon;
        case kErrorAccessDenied:
            return finding.step == CheckStep::kWmi ? CheckHint::kWmiRights : CheckHint::kLocalAccount;
        case kErrorBadNetPath:
        case kErrorBadNetName:
            return CheckHint::kSharing;
        case kRpcServerUnavailable:
            return CheckHint::kRpcFirewall;
        default:
            return CheckHint::kNone;
    }
}

CheckReport MakeCheckReport(const CheckResult& result, const CheckTexts& texts) {
    CheckReport report;
    if (result.failure) {
        const CheckFinding& failure = *result.failure;
        report.state = FillIn(texts.string(IDS_CHECK_STATE),
                              {StepName(texts, failure.step), SystemText(texts, failure.code)});
        if (const std::u16string hint = Hint(texts, failure); !hint.empty())
            report.state += u" (" + hint + u")";
        report.tip = TipLine(texts, IDS_CHECK_TIP, failure);
    } else if (result.notes.empty()) {
        report.state = texts.string(IDS_CHECK_READY);
    } else {
        const CheckFinding& first = result.notes.front();
        report.state = FillIn(texts.string(IDS_CHECK_READY_NOTED),
                              {StepName(texts, first.step), SystemText(texts, first.code)});
    }
    for (const CheckFinding& note : result.notes)
        report.tip += (report.tip.empty() ? u"" : u"\r\n") + TipLine(texts, IDS_CHECK_NOTED_TIP, note);
    if (report.tip.empty())
        report.tip = texts.string(IDS_CHECK_READY_TIP);
    return report;
}

std::u16string PartOf(const std::u16string& text, int n) {
    std::size_t start = 0;
    for (int i = 0; i < n; ++i) {
        start = text.find(u'|', start);
        if (start == std::u16string::npos)
            return {};
        ++start;
    }
    const std::size_t end = text.find(u'|', start);
    return text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
}

std::u16string CodeText(std::uint32_t code) {
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string hex = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        hex += kDigits[(code >> shift) & 0xF];
    return DecimalText(static_cast<long long>(code)) + u" (" + hex + u")";
}

}  // namespace velmora
