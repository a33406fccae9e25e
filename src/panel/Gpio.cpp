// Hardware buttons and GPIO (the scan and the worker are still to come) and
// the end of the workers at shut-down.
#include "panel/AudioMainForm.h"
#include "panel/PanelForms.h"
#include "panel/device/DeviceLibrary.h"

void TAudioMainForm::ReadGPIOAndSetUI() {}

int TAudioMainForm::ScanENCGPIO() { return 0; }

void TAudioMainForm::StopWorkers() {
    // The library's scan thread must not call back into a window that is
    // going away.
    if (m_bScanButtonRegistered && m_bLibraryBound && fnDLLKQ_ScanButton_ById) {
        fnDLLKQ_ScanButton_ById(m_wVID, m_wPID, nullptr, 0, 0);
        m_bScanButtonRegistered = 0;
    }
    StopLightingThread();
    if (LEDForm) LEDForm->StopCommandWorker();
}
