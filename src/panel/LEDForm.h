// The LED effect dialog: slot colours, brightness, effect modes with their
// speeds and colours, sent straight to the LED controller through the device
// library's RGB exports, as master or as slave. A worker sends the chosen
// mode and speed half a second after each speed change.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>

#include "shared/ScopedWin.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

// Process-wide auto-reset event that wakes the dialog's worker.
extern HANDLE LEDCommandEvent;

class TLEDForm : public ui::TForm {
public:
    explicit TLEDForm(ui::TComponent* owner);
    ~TLEDForm() override;
    const wchar_t* ClassName() const override { return L"TLEDForm"; }

    // ------------------------------------------------------------ components
    ui::TGroupBox* GroupBoxColor = nullptr;
    ui::TButton* ButtonSetColor = nullptr;
    ui::TGroupBox* GroupBoxBrightness = nullptr;
    ui::TLabel* LabelBrightness = nullptr;
    ui::TTrackBar* TrackBarBrightness = nullptr;
    ui::TGroupBox* GroupBoxEffect = nullptr;
    ui::TRadioButton* RadioButtonOff = nullptr;
    ui::TRadioButton* RadioButtonOn = nullptr;
    ui::TRadioButton* RadioButtonBlinking = nullptr;
    ui::TRadioButton* RadioButtonBreathe = nullptr;
    ui::TRadioButton* RadioButtonRainbow = nullptr;
    ui::TRadioButton* RadioButtonMultiBreathe = nullptr;
    ui::TRadioButton* RadioButtonSingleRandom = nullptr;
    ui::TTrackBar* TrackBarBlinking = nullptr;
    ui::TTrackBar* TrackBarBreathe = nullptr;
    ui::TTrackBar* TrackBarRainbow = nullptr;
    ui::TTrackBar* TrackBarMultiBreathe = nullptr;
    ui::TTrackBar* TrackBarSingleRandom = nullptr;
    ui::TShape* ShapeSingleColor = nullptr;
    ui::TShape* ShapeBlinkingColor = nullptr;
    ui::TShape* ShapeBreatheColor = nullptr;
    ui::TGroupBox* GroupBoxLEDNumber = nullptr;
    ui::TRadioButton* RadioButtonLED1 = nullptr;
    ui::TRadioButton* RadioButtonLED2 = nullptr;
    ui::TRadioButton* RadioButtonAllLED = nullptr;
    ui::TGroupBox* GroupBoxMS = nullptr;
    ui::TRadioButton* RadioButtonMaster = nullptr;
    ui::TRadioButton* RadioButtonSlave = nullptr;
    ui::TButton* ButtonClose = nullptr;
    ui::TColorDialog* ColorDialog = nullptr;

    // ------------------------------------------------------------ state
    UINT m_iColorSlot = 1;  // slot 1..7 chosen in the colour row
    int m_iLEDMode = 0;     // 1 off, 2 single, 3 blinking, 4 breathe, 5 rainbow, 6 multi-breathe, 7 single random
    BYTE m_byController = 0;
    BYTE m_bySpeed[5] = {1, 1, 1, 1, 1};  // speeds of modes 3..7, at mode - 3
    UINT m_iLEDNumber = 0;                // 0 all LEDs, 1 LED1, 2 LED2
    UINT m_iWaitArg = 500;
    HANDLE m_hCommandThread = nullptr;
    BYTE m_bShown = 0;

    void FormShow(ui::TObject* Sender);
    void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
    void FormDestroy(ui::TObject* Sender);
    void ButtonSetColorClick(ui::TObject* Sender);
    void ShapeMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void SingleColorShapeMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void RadioButtonMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void RadioButtonOnMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void RadioButtonOffMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    void TrackBarEffectChange(ui::TObject* Sender);
    void TrackBarBrightnessChange(ui::TObject* Sender);
    void RadioButtonLED1Click(ui::TObject* Sender);
    void RadioButtonLED2Click(ui::TObject* Sender);
    void RadioButtonAllLEDClick(ui::TObject* Sender);
    void ButtonCloseClick(ui::TObject* Sender);

    // The last control of the class with this Tag (none: null).
    ui::TShape* FindShapeByTag(int tag) const;
    ui::TTrackBar* FindTrackBarByTag(int tag) const;
    ui::TRadioButton* FindRadioButtonByTag(int tag) const;

    // Ends the worker (the dialog's destruction and the main window's
    // shut-down); it is not started again.
    void StopCommandWorker();

private:
    // What the worker sends, copied from the members and the Master button
    // under m_CommandLock whenever a handler changed them.
    struct COMMAND_STATE {
        int mode = 0;
        BYTE speed[5] = {1, 1, 1, 1, 1};
        UINT ledNumber = 0;
        bool master = true;
        BYTE controller = 0x3A;
        UINT wait = 500;
    };
    static unsigned __stdcall LEDCommandThread(void* form);
    void BuildComponents();
    void PublishCommand();
    void WakeWorker();
    bool Master() const;
    // The exports of the dialog, master or slave by the Master button now.
    void SendStep();
    void SendMode(UINT led, int mode, int speed);
    void SendSlotColour(UINT led, UINT slot, ui::TColor colour);
    void SendEffectColour(UINT led, int mode, ui::TColor colour);
    void SendBrightness(UINT led, int level);
    UINT LEDOrFirst() const { return m_iLEDNumber == 0 ? 1 : m_iLEDNumber; }
    // The mode and speed of a mode radio button, then LED Off again 500 ms
    // later when the LEDs were off.
    void ChooseMode(int mode, int speed);

    std::mutex m_CommandLock;
    COMMAND_STATE m_Command;
    std::atomic<bool> m_bStopWorker{false};
    bool m_bWorkerEnded = false;
};
