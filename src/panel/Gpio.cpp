// Hardware buttons and GPIO: the device library's button-scan callback, the
// two report handlers (the ENC button, the configured GPIO functions), the
// line read at start-up in switch mode, and the end of the workers at
// shut-down.
//
// Threads: the callback runs on the library's own thread and does only byte
// work there (copy, compare with the report before, XOR); it posts the report
// with its changed bits, by value, to the window's thread, where every
// handler runs. The GPIO worker's deferred click is posted the same way.
#include <cstring>
#include <mutex>

#include "panel/AudioMainForm.h"
#include "panel/PanelForms.h"
#include "panel/device/DeviceLibrary.h"
#include "panel/device/GpioThread.h"
#include "shared/DebugTrace.h"

namespace {

constexpr int kLineCount = 10;
constexpr int kActiveLevel = 10;     // entries 10..19: active level of line i
constexpr int kLineAtActive = 684;   // entries 684..693: line i at its active level
constexpr int kLineFunction = 670;   // entries 670..679: function of line i

using Report = TAudioMainForm::BUTTON_REPORT;

std::wstring RawText(const std::array<BYTE, 5>& r) {
    return trace::Format(L"Raw Data = %.2X %.2X %.2X %.2X %.2X\n\n", r[0], r[1], r[2], r[3], r[4]);
}

// What the callback keeps between reports, and the window it serves (none
// once the window stopped its workers).
struct ScanState {
    std::mutex lock;
    TAudioMainForm* target = nullptr;
    int encGpio = 0;
    std::array<BYTE, 5> previous{}, current{};
    std::wstring previousText;  // empty until the first report
};

ScanState& Scan() {
    static ScanState state;
    return state;
}

// Serves form from now on; a window other than the one served before starts
// without a report before (as a fresh program would).
void AttachScan(TAudioMainForm* form, int encGpio) {
    ScanState& s = Scan();
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.target != form) s.previousText.clear();
    s.target = form;
    s.encGpio = encGpio;
}

void DetachScan(TAudioMainForm* form) {
    ScanState& s = Scan();
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.target != form) return;
    s.target = nullptr;
    s.previousText.clear();
}

int WINAPI ScanENCGPIOCallback(WORD, WORD, BYTE* bytes, int, int) {
    ScanState& s = Scan();
    std::lock_guard<std::mutex> lock(s.lock);
    if (!s.target || !bytes) return 0;
    std::memcpy(s.current.data(), bytes, s.current.size());
    const std::wstring text = RawText(s.current);
    const bool arm = s.encGpio != 0;
    bool changed = false;
    Report report;
    report.bytes = s.current;
    if (text != s.previousText) {
        // The first report only becomes the report before.
        changed = !s.previousText.empty();
        report.previous = s.previous;
        for (size_t i = 0; i < report.changed.size(); ++i)
            report.changed[i] = static_cast<BYTE>(s.previous[i] ^ s.current[i]);
        s.previous = s.current;
        s.previousText = text;
    }
    if (arm || changed) {
        TAudioMainForm* form = s.target;
        form->RunOnMainThread([form, report, arm, changed] { form->ButtonReport(report, arm, changed); });
    }
    return 0;
}

// The line a report changed: the highest line i whose bit is the only one
// changed in bytes 2 and 3; no change at all gives 9, several lines 0.
int ChangedLine(const Report& report) {
    const unsigned v = report.changed[2] | (static_cast<unsigned>(report.changed[3]) << 8);
    for (int i = kLineCount - 1; i >= 0; --i)
        if ((v & ~(1u << i)) == 0) return i;
    return 0;
}

// The functions of a line: page and tab, the control clicked, and whether
// switch mode with the switch off still clicks it.
struct GpioFunction {
    int code;
    int page, tab;
    int tag;
    bool clickWhenSwitchOff;
};
// In switch mode with the switch off, EQ, 3D, mute and monitor are clicked
// like the others, so the device follows what the window shows.
const GpioFunction kFunctions[] = {
    {1, 1, 1, 7, true},  {2, 1, 1, 8, true},  {3, 2, 3, 25, false},
    {4, 3, 4, 21, true}, {5, 3, 4, 22, true}, {6, 3, 4, 89, true},
};

}  // namespace

// ---------------------------------------------------------------- start-up and registration

void TAudioMainForm::ReadGPIOAndSetUI() {
    trace::Text(L"[TAudioMainForm::ReadGPIOAndSetUI]");
    if (!m_bLibraryBound) return;
    if (m_bGPIOInitialized == 0) {
        const int ret = fnDLLKQ_ScanButton_ById(m_wVID, m_wPID, nullptr, 0, 0);
        m_bScanButtonRegistered = 0;
        trace::Out(L" TAudioMainForm::fnDLLKQ_ScanButton_ById][fnDLLKQ_SetGpioMode][1]ret = %d", ret);
        ::Sleep(500);
        BYTE modes[kLineCount] = {};
        fnDLLKQ_SetGpioMode_ById(modes, kLineCount, 0);
    }
    BYTE levels[kLineCount] = {};
    for (int i = 0; i < kLineCount; ++i) {
        fnDLLKQ_GetGpioEx_ById(static_cast<BYTE>(i), &levels[i], 0);
        m_GPIOTable[kLineAtActive + i] = levels[i] == m_GPIOTable[kActiveLevel + i] ? 1 : 0;
    }
    // The switch is the highest enabled line; without one there is no
    // switch and the 7.1 state stays as it is.
    int line = -1;
    for (int i = 0; i < kLineCount; ++i)
        if (m_GPIOTable[i] == 1) line = i;
    if (line >= 0) {
        m_GPIOTable[kGpioHw7ch1Switch] = m_GPIOTable[kLineAtActive + line];
        if (m_iCurrentPage != 4) ShowGpioPage(4, 5);
        int state = static_cast<int>(m_GPIOTable[kGpioHw7ch1Switch]);
        ToggleButton(47, state);
    }
    m_bGPIOInitialized = 1;
}

int TAudioMainForm::ScanENCGPIO() {
    // No result yet at this point: the number is the last registration's.
    trace::Out(L"[ScanENCGPIO]***** fnDLLKQ_ScanButton_ById, ret = %d *****", 0);
    if (!m_bLibraryBound) return 0;
    AttachScan(this, m_iEncGpio);
    fnDLLKQ_ScanButton_ById(m_wVID, m_wPID, ScanENCGPIOCallback, 1, 0);
    m_bScanButtonRegistered = 1;
    return 0;
}

void TAudioMainForm::StopWorkers() {
    m_bWorkersStopped = 1;
    // No report reaches this window any more (a callback running now has
    // finished posting when this returns); then the library stops calling.
    DetachScan(this);
    if (m_bScanButtonRegistered && m_bLibraryBound && fnDLLKQ_ScanButton_ById) {
        fnDLLKQ_ScanButton_ById(m_wVID, m_wPID, nullptr, 0, 0);
        m_bScanButtonRegistered = 0;
    }
    if (m_pGPIOThread) {
        m_pGPIOThread->Stop();
        delete m_pGPIOThread;
        m_pGPIOThread = nullptr;
    }
    StopLightingThread();
    if (LEDForm) LEDForm->StopCommandWorker();
}

// ---------------------------------------------------------------- reports

void TAudioMainForm::ButtonReport(const BUTTON_REPORT& report, bool arm, bool changed) {
    if (m_bWorkersStopped) return;
    if (arm) m_bEncButtonArmed = 1;
    if (!changed) return;
    trace::Text(L"Previous = ");
    trace::Text(RawText(report.previous));
    trace::Text(L"Current = ");
    trace::Text(RawText(report.bytes));
    const int result = m_GPIOTable[kGpioButtonMode] == 1 || m_GPIOTable[kGpioDipSwMode] == 1 ? SendGpioButton(report)
                                                                                             : SendEncButton(report);
    if (result != 0 && result != -1) trace::Out(L"***** SendEncButton FAIL! ***** (ret = %d)\n", result);
}

int TAudioMainForm::SendEncButton(const BUTTON_REPORT& report) {
    if (m_bEncButtonArmed == 0) return 0;
    if (m_bEncSkipFirstReport == 1) {
        m_bEncSkipFirstReport = 0;
        return 0;
    }
    size_t byte;
    int bit;
    if (m_iEncGpio >= 0 && m_iEncGpio <= 3) {
        byte = 2;
        bit = m_iEncGpio;
    } else if (m_iEncGpio == 8 || m_iEncGpio == 9) {
        byte = 3;
        bit = m_iEncGpio - 8;
    } else {
        return -1;
    }
    if (report.bytes[byte] & (1u << bit)) return -1;  // active low: not pressed
    m_bENCEnable = m_bENCEnable ? 0 : 1;
    if (m_iCurrentPage == 7) {
        RepaintImage(m_bENCEnable ? L"ENCFunctionDownImage" : L"ENCFunctionUpImage", Image(L"ENCFunctionImage"));
        if (ui::TLabel* label = Label(L"ENCFunctionLabel"))
            label->Font().SetColor(m_bENCEnable ? m_GlobalFont.ColorDown : m_GlobalFont.ColorUp);
    }
    SetENCOnOff(m_bENCEnable);
    return 0;
}

int TAudioMainForm::SendGpioButton(const BUTTON_REPORT& report) {
    DispatchGpioButtons(report);
    return 0;
}

int TAudioMainForm::GetGpioFunction(int index, int& code) const {
    if (index < 0 || index > 10) {
        code = 0;
        return -1;
    }
    code = static_cast<int>(m_GPIOTable[static_cast<size_t>(kLineFunction + index)]);
    return 0;
}

void TAudioMainForm::GetGpioButtonState(const BUTTON_REPORT& report, int& pressed, int& level, int index) const {
    pressed = 0;
    if (index < 0 || index >= kLineCount || m_GPIOTable[static_cast<size_t>(index)] == 0) return;
    level = (report.bytes[2 + static_cast<size_t>(index) / 8] >> (index % 8)) & 1;
    pressed = static_cast<DWORD>(level) == m_GPIOTable[static_cast<size_t>(kActiveLevel + index)] ? 1 : 0;
}

int TAudioMainForm::DispatchGpioButtons(const BUTTON_REPORT& report) {
    const int pageBefore = m_iCurrentPage;
    m_GPIOTable[kGpioSimulatedClick] = 1;
    const int line = ChangedLine(report);
    int function = -1, pressed = 0, level = -1;
    GetGpioFunction(line, function);
    GetGpioButtonState(report, pressed, level, line);
    const DWORD mode = m_GPIOTable[kGpioModeValue];
    bool handedToWorker = false;
    auto done = [&] {
        // Only a click handed to the worker keeps the GPIO lock of the 7.1
        // controls open until it has run.
        if (!handedToWorker) m_GPIOTable[kGpioSimulatedClick] = 0;
        return 0;
    };
    if (mode == 0 && !pressed) return done();
    // A line that is not enabled has no level: the switch state stays.
    if (mode == 1 && level >= 0)
        m_GPIOTable[kGpioHw7ch1Switch] = m_GPIOTable[static_cast<size_t>(kActiveLevel + line)] ==
                                                 static_cast<DWORD>(level)
                                             ? 1
                                             : 0;

    for (const GpioFunction& f : kFunctions) {
        if (f.code != function) continue;
        ShowGpioPage(f.page, f.tab);
        const bool click =
            mode == 0 || (mode == 1 && (m_GPIOTable[kGpioHw7ch1Switch] == 1 || f.clickWhenSwitchOff));
        if (click) {
            GpioClick(FindImageByTag(f.tag));
            RestoreAfterGpioClick();
        }
        return done();
    }
    switch (function) {
    case 7:
        if (pageBefore != 4) ShowGpioPage(4, 5);
        if (m_pGPIOThread) {
            m_pGPIOThread->SetButtonClick(Image(L"VirtualEnableImage"), 0);
            ::SetEvent(GPIOThreadEvent);
            handedToWorker = true;
        }
        if (pageBefore != 4) RestoreAfterGpioClick();
        break;
    case 8:
    case 9: {
        const bool enc = function == 8;
        ShowGpioPage(enc ? 7 : 8, enc ? 205 : 204);
        ui::TLabel* tab = FindLabelByTag(enc ? 227 : 226);
        OnLabelMouseDown(tab, ui::mbLeft, 0, 0, 0);
        OnLabelMouseUp(tab, ui::mbLeft, 0, 0, 0);
        if (enc) ENCFunctionImageClick(tab);
        else TbxFunctionImageClick(tab);
        RestoreAfterGpioClick();
        break;
    }
    default: break;
    }
    return done();
}

// ---------------------------------------------------------------- clicks and pages

void TAudioMainForm::ShowGpioPage(int page, int tab) {
    m_iCurrentPage = page;
    ShowPage(page);
    ShowPageTabs(tab);
}

void TAudioMainForm::GpioClick(ui::TObject* control) {
    OnImageMouseDown(control, ui::mbLeft, 0, 0, 0);
    OnImageMouseUp(control, ui::mbLeft, 0, 0, 0);
}

void TAudioMainForm::RestoreAfterGpioClick() {
    // The ui layer minimises the main window itself (there is no separate
    // application window on the taskbar): that is the window restored.
    if (HandleAllocated() && ::IsIconic(Handle())) ::ShowWindow(Handle(), SW_RESTORE);
}

void TAudioMainForm::DeferredGpioClick(ui::TObject* control, ui::TShiftState shift) {
    // A dispatch in between may have closed the GPIO lock again: the click
    // passes it as a simulated click.
    if (m_bWorkersStopped) return;
    m_GPIOTable[kGpioSimulatedClick] = 1;
    OnImageMouseDown(control, ui::mbLeft, shift, 0, 0);
    OnImageMouseUp(control, ui::mbLeft, shift, 0, 0);
    m_GPIOTable[kGpioSimulatedClick] = 0;
}
