#include "DeviceInstallerRecorder.h"

#include <algorithm>

namespace vt {

namespace {

DeviceInstallerRecorder* g_recorder = nullptr;

std::wstring InstanceId(HDEVINFO set, PSP_DEVINFO_DATA device) {
    wchar_t id[200] = {};
    ::SetupDiGetDeviceInstanceIdW(set, device, id, 200, nullptr);
    return id;
}

BOOL WINAPI RecordSetParams(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_CLASSINSTALL_HEADER header, DWORD size) {
    const auto* p = reinterpret_cast<SP_PROPCHANGE_PARAMS*>(header);
    std::wstring call = p->StateChange == DICS_DISABLE ? L"disable" : p->StateChange == DICS_ENABLE ? L"enable" : L"?";
    call += p->Scope == DICS_FLAG_CONFIGSPECIFIC ? L" profile" : p->Scope == DICS_FLAG_GLOBAL ? L" global" : L" ?";
    if (header->cbSize != sizeof(SP_CLASSINSTALL_HEADER) || header->InstallFunction != DIF_PROPERTYCHANGE ||
        size != sizeof(SP_PROPCHANGE_PARAMS) || p->HwProfile != 0)
        call += L" (bad parameters)";
    return g_recorder->Record(set, device, call);
}

BOOL WINAPI RecordCall(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA device) {
    return g_recorder->Record(set, device, function == DIF_PROPERTYCHANGE ? L"call" : L"call ?");
}

BOOL WINAPI RecordGetParams(HDEVINFO set, PSP_DEVINFO_DATA device, PSP_DEVINSTALL_PARAMS_W params) {
    const bool ok = g_recorder->Record(set, device, params->cbSize == sizeof(SP_DEVINSTALL_PARAMS_W) ? L"get" : L"get (bad size)");
    params->Flags = g_recorder->flags;
    return ok;
}

void WINAPI RecordSleep(DWORD ms) { g_recorder->RecordPause(ms); }

const DeviceInstallerApi kRecording = {RecordSetParams, RecordCall, RecordGetParams, RecordSleep};

}  // namespace

const std::vector<std::wstring> kProfileRestartCalls = {L"disable profile", L"call", L"enable profile", L"call",
                                                        L"get"};

DeviceInstallerRecorder::DeviceInstallerRecorder() {
    previousRecorder_ = g_recorder;
    g_recorder = this;
    previous_ = ReplaceDeviceInstallerApi(&kRecording);
}

DeviceInstallerRecorder::~DeviceInstallerRecorder() {
    ReplaceDeviceInstallerApi(previous_);
    g_recorder = previousRecorder_;
}

void DeviceInstallerRecorder::Reset() {
    calls.clear();
    all.clear();
    made_ = 0;
}

std::vector<std::wstring> DeviceInstallerRecorder::CallsOf(const std::wstring& instanceId) const {
    const auto found = calls.find(instanceId);
    return found == calls.end() ? std::vector<std::wstring>{} : found->second;
}

bool DeviceInstallerRecorder::Record(HDEVINFO set, PSP_DEVINFO_DATA device, const std::wstring& call) {
    calls[InstanceId(set, device)].push_back(call);
    all.push_back(call);
    const int index = made_++;
    return index < failFrom && std::find(failing.begin(), failing.end(), index) == failing.end();
}

}  // namespace vt
