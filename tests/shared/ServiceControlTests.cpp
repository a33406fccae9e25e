#include <gtest/gtest.h>

#include <cwchar>

#include "TestSupport.h"
#include "shared/DebugTrace.h"
#include "shared/ScopedWin.h"
#include "shared/ServiceControl.h"

namespace {

constexpr wchar_t kService[] = L"VelloSharedTestSvc";

int CountLines(const std::vector<std::wstring>& log, const std::wstring& line) {
    int n = 0;
    for (const auto& l : log) n += l == line;
    return n;
}

TEST(ControlTheService, UnknownServiceGivesTwoForEveryCode) {
    for (DWORD code : {0u, 1u, 128u, 193u, 196u}) {
        EXPECT_EQ(ControlTheService(L"VelloNoSuchService", code), kServiceOpenServiceFailed)
            << "code " << code;
    }
}

TEST(ControlTheService, StartsSignalsAndStopsTheService) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());

    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceDone) << "stop while stopped";
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone);
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone) << "start while running";
    for (DWORD code : {128u, 193u, 196u, 200u}) {
        EXPECT_EQ(ControlTheService(kService, code), kServiceDone) << "code " << code;
    }
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceDone);
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_STOPPED));

    std::vector<std::wstring> expected = {L"start",       L"control 128", L"control 193", L"control 196",
                                          L"control 200", L"control 1",   L"stop"};
    EXPECT_EQ(svc.Log(), expected) << "one start, the codes in order, one stop";
}

// The debugger lines of ControlTheService's own calls.
class ServiceTraceLines {
public:
    ServiceTraceLines() {
        trace::SetObserver([this](const std::wstring& line) { lines_.push_back(line); });
    }
    ~ServiceTraceLines() { trace::SetObserver(nullptr); }
    std::vector<std::wstring> Take() { return std::move(lines_); }

private:
    std::vector<std::wstring> lines_;
};

// "##### <name> <STATE> after <n> pause(s) of 300 ms #####": the state and
// n, or an empty state when the line has another form.
std::wstring WaitState(const std::wstring& line, const std::wstring& name, int& pauses) {
    const std::wstring head = L"##### " + name + L" ";
    wchar_t state[16] = {};
    int ms = 0;
    wchar_t tail[16] = {};
    if (line.rfind(head, 0) != 0 ||
        std::swscanf(line.c_str() + head.size(), L"%15ls after %d pause(s) of %d ms %15ls", state, &pauses, &ms,
                     tail) != 4 ||
        ms != 300 || std::wstring(tail) != L"#####" || line.back() != L'\n')
        return L"";
    return state;
}

// Each wait for the service tells the debugger how many pauses it made; a
// call that finds the service in the wanted state at once, or sends a
// user-defined code, makes no wait and writes nothing.
TEST(ControlTheService, WaitsReportTheirPauses) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());
    ServiceTraceLines trace;
    struct Step {
        const char* name;
        DWORD code;
        const wchar_t* state;  // of the one line expected, or none
    };
    const Step steps[] = {
        {"stop while stopped", SERVICE_CONTROL_STOP, nullptr},
        {"start", SERVICE_CONTROL_START, L"RUNNING"},
        {"start while running", SERVICE_CONTROL_START, nullptr},
        {"user code", SERVICE_CONTROL_PREPARE_REMOVE, nullptr},
        {"stop", SERVICE_CONTROL_STOP, L"STOPPED"},
    };
    for (const Step& step : steps) {
        ASSERT_EQ(ControlTheService(kService, step.code), kServiceDone) << step.name;
        const std::vector<std::wstring> lines = trace.Take();
        if (!step.state) {
            EXPECT_TRUE(lines.empty()) << step.name << ": " << vt::Narrow(lines.empty() ? L"" : lines[0]);
            continue;
        }
        ASSERT_EQ(lines.size(), 1u) << step.name;
        int pauses = -1;
        EXPECT_EQ(WaitState(lines[0], kService, pauses), step.state) << step.name << ": " << vt::Narrow(lines[0]);
        EXPECT_GE(pauses, 0) << step.name;
        EXPECT_LT(pauses, 30) << step.name;
    }
}

// Once a stop has been answered with zero, the service's program file is no
// longer in use: the installer replaces it and the uninstaller deletes it
// right after the stop, even when the process ends well after it has
// reported itself stopped.
TEST(ControlTheService, AfterTheStopTheProgramFileCanBeDeleted) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());
    svc.Set(L"ExitDelayMs", 3000);
    ASSERT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone);
    const std::wstring kept = svc.Program() + L".kept";
    ASSERT_TRUE(::CopyFileW(svc.Program().c_str(), kept.c_str(), FALSE));

    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceDone);
    const bool deleted = ::DeleteFileW(svc.Program().c_str()) != FALSE;
    EXPECT_TRUE(deleted) << "error " << ::GetLastError();

    // The program back for the fixture's removal of the registration.
    if (deleted) {
        EXPECT_TRUE(::MoveFileW(kept.c_str(), svc.Program().c_str()));
    } else {
        ::DeleteFileW(kept.c_str());
    }
}

// The wait for the process is bounded: a process that lingers is reported
// on the debugger and the stop still counts as done, since the service is.
TEST(ControlTheService, AProcessThatLingersIsReportedAfterTheWait) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());
    svc.Set(L"ExitDelayMs", 12000);  // longer than 30 polls of 300 ms
    ASSERT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone);
    const win::Handle process(::OpenProcess(SYNCHRONIZE, FALSE, svc.ProcessId()));
    ASSERT_TRUE(process);
    ServiceTraceLines trace;
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceDone);
    EXPECT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0) << "the registration goes after it";
    const std::vector<std::wstring> lines = trace.Take();
    ASSERT_EQ(lines.size(), 2u);
    int pauses = -1;
    EXPECT_EQ(WaitState(lines[0], kService, pauses), L"STOPPED") << vt::Narrow(lines[0]);
    EXPECT_EQ(lines[1], L"***** " + std::wstring(kService) + L"'s process still running after 9000 ms *****\n");
}

TEST(ControlTheService, UserCodeOnStoppedServiceStillGivesZero) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());
    // ControlService fails on a stopped service; its result is not looked at.
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_PREPARE_REMOVE), kServiceDone);
    EXPECT_EQ(CountLines(svc.Log(), L"control 128"), 0);
}

TEST(ControlTheService, SlowStopTimesOutWithFive) {
    vt::StandInService svc(kService);
    ASSERT_TRUE(svc.registered());
    svc.Set(L"StopDelayMs", 12000);  // longer than 30 polls of 300 ms
    ASSERT_EQ(ControlTheService(kService, SERVICE_CONTROL_START), kServiceDone);
    ServiceTraceLines trace;
    EXPECT_EQ(ControlTheService(kService, SERVICE_CONTROL_STOP), kServiceStopTimedOut);
    const std::wstring timedOut = L"***** " + std::wstring(kService) + L" not STOPPED after 30 pauses of 300 ms *****\n";
    EXPECT_EQ(trace.Take(), std::vector<std::wstring>{timedOut});
    svc.StopAndWait();
}

}  // namespace
