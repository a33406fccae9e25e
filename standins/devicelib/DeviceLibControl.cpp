#include "DeviceLibControl.h"

#include <cstring>

namespace devlibsim {

LibraryControl::LibraryControl(const std::wstring& folder) : channel_(new Channel(folder)) {}

std::wstring LibraryControl::LoadedLibraryFolder() {
    HMODULE module = ::GetModuleHandleW(kLibraryFileName);
    if (!module) return {};
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(module, path, MAX_PATH * 2);
    std::wstring folder(path, n);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? folder : folder.substr(0, slash);
}

void LibraryControl::Edit(const std::function<void(State&)>& change) {
    channel_->Lock();
    change(channel_->state());
    channel_->Unlock();
}

State LibraryControl::Snapshot() const {
    std::unique_ptr<State> copy(new State);
    channel_->Lock();
    std::memcpy(copy.get(), &channel_->state(), sizeof(State));
    channel_->Unlock();
    return *copy;
}

std::vector<LoggedCall> LibraryControl::Calls() const {
    LONG next = 0;
    return CallsSince(next);
}

std::vector<LoggedCall> LibraryControl::CallsSince(LONG& next) const {
    std::vector<LoggedCall> calls;
    channel_->Lock();
    const State& s = channel_->state();
    if (next > s.logCount) next = 0;  // the log was cleared
    LONG first = s.logCount > kLogCapacity ? s.logCount - kLogCapacity : 0;
    if (first < next) first = next;
    for (LONG i = first; i < s.logCount; ++i) {
        const CallRecord& r = s.log[i % kLogCapacity];
        LoggedCall call;
        call.name.assign(r.name, strnlen(r.name, kNameChars));
        call.args.assign(r.args, strnlen(r.args, kArgsChars));
        call.result = r.result;
        call.bytes.assign(r.bytes, r.bytes + r.byteCount);
        calls.push_back(std::move(call));
    }
    next = s.logCount;
    channel_->Unlock();
    return calls;
}

std::vector<LoggedCall> LibraryControl::Calls(const std::string& name) const {
    std::vector<LoggedCall> matching;
    for (LoggedCall& call : Calls())
        if (call.name == name) matching.push_back(std::move(call));
    return matching;
}

void LibraryControl::ClearLog() {
    Edit([](State& s) { s.logCount = 0; });
}

void LibraryControl::FailNext(const std::string& name, int count, int code) {
    Edit([&](State& s) {
        FailRule* slot = nullptr;
        for (FailRule& rule : s.fail) {
            if (rule.count > 0 && name == rule.name) { slot = &rule; break; }
            if (!slot && rule.count <= 0) slot = &rule;
        }
        if (!slot) return;
        lstrcpynA(slot->name, name.c_str(), kNameChars);
        slot->count = count;
        slot->code = code;
    });
}

void LibraryControl::Reset() {
    Edit([](State& s) {
        // Reports already queued count as handled, so the scan thread does not
        // deliver them after the reset.
        LONG queued = s.reportsQueued;
        ResetState(s);
        s.reportsQueued = s.reportsDropped = queued;
    });
}

void LibraryControl::InjectReport(const BYTE report[kReportBytes]) {
    Edit([&](State& s) {
        std::memcpy(s.reports[s.reportsQueued % kReportQueue], report, kReportBytes);
        ++s.reportsQueued;
    });
    ::SetEvent(channel_->reportEvent());
}

bool LibraryControl::WaitReportsDelivered(LONG count, DWORD timeoutMs) const {
    DWORD start = ::GetTickCount();
    for (;;) {
        channel_->Lock();
        LONG delivered = channel_->state().reportsDelivered;
        channel_->Unlock();
        if (delivered >= count) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(5);
    }
}

}  // namespace devlibsim
