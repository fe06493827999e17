// The computer dialogs' rules.
#include "manager/AddCompLogic.h"

namespace velmora {

std::u16string CutAtBlank(const std::u16string& text) {
    return text.substr(0, text.find(u' '));
}

std::u16string LeadingHex(const std::u16string& text) {
    std::size_t n = 0;
    while (n < text.size() && ((text[n] >= u'0' && text[n] <= u'9') || (text[n] >= u'A' && text[n] <= u'F') ||
                               (text[n] >= u'a' && text[n] <= u'f')))
        ++n;
    return text.substr(0, n);
}

namespace {

std::u16string TrimBlanks(const std::u16string& text) {
    const std::size_t first = text.find_first_not_of(u" \t");
    if (first == std::u16string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

bool OnlyDigitsAndDots(const std::u16string& text) {
    return text.find_first_not_of(u"0123456789.") == std::u16string::npos;
}

}  // namespace

ComputerForm OpenComputerForm(const ComputerEntry& entry, int action) {
    ComputerForm form;
    form.name = entry[kTextName];
    form.user = entry[kTextUser];
    form.password = entry[kTextPassword];
    form.logon = !form.user.empty();
    if (action == kActionMonitorOff) {  // a ping task sends no credentials
        form.logon = false;
        form.logonEnabled = false;
    }
    ApplyLogonBox(form);
    return form;
}

void ApplyLogonBox(ComputerForm& form) {
    if (!form.logon) {
        form.user.clear();
        form.password.clear();
    }
}

FormCheck CheckComputerForm(ComputerForm& form, ComputerEntry& entry) {
    form.name = CutAtBlank(form.name);
    form.user = TrimBlanks(form.user);
    if (form.name.empty())
        return {false, kCtlCompName};
    entry[kTextName] = form.name;
    entry[kTextUser] = form.user;
    entry[kTextPassword] = form.password;
    return {true, 0};
}

WakeForm OpenWakeForm(const ComputerEntry& entry, bool several) {
    WakeForm form;
    form.several = several;
    form.name = entry[kTextName];
    form.mac = entry[kTextMac];
    form.password = entry[kTextWolPassword];
    form.broadcast = entry[kTextBroadcast].empty() ? kDefaultBroadcast : entry[kTextBroadcast];
    form.port = entry[kTextPort].empty() ? kDefaultPort : entry[kTextPort];
    form.optional = form.broadcast != kDefaultBroadcast || form.port != kDefaultPort;
    ApplyOptional(form);
    return form;
}

void ApplyOptional(WakeForm& form) {
    if (!form.optional) {
        form.broadcast = kDefaultBroadcast;
        form.port = kDefaultPort;
    }
}

FormCheck CheckWakeForm(WakeForm& form, ComputerEntry& entry) {
    form.name = CutAtBlank(form.name);
    form.broadcast = CutAtBlank(form.broadcast);
    form.port = CutAtBlank(form.port);
    if (form.name.empty() && !form.several)
        return {false, kCtlWakeName};
    if (form.optional && (form.broadcast.empty() || !OnlyDigitsAndDots(form.broadcast)))
        return {false, kCtlWakeBroadcast};
    if (form.optional && form.port.empty())
        return {false, kCtlWakePort};
    form.mac = LeadingHex(form.mac);
    if (form.mac.size() != 12 && !form.several)
        return {false, kCtlWakeMac};
    std::u16string broadcast = form.optional ? form.broadcast : u"";
    std::u16string port = form.optional ? form.port : u"";
    entry[kTextName] = form.name;
    entry[kTextMac] = form.mac;
    entry[kTextWolPassword] = form.password;
    entry[kTextBroadcast] = std::move(broadcast);
    entry[kTextPort] = std::move(port);
    return {true, 0};
}

}  // namespace velmora
