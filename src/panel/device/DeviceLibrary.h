// The maker's device library: its file name, the 249 exports the panel binds
// by name in a fixed order, and the typed entry points of those it calls.
// The library is loaded once and stays loaded for the life of the process;
// the pointers are written only while binding, on the main thread, before any
// worker thread exists.
#pragma once

#include <windows.h>

#include <cstddef>

// One request or reply of the generic audio command export (234 bytes).
constexpr size_t kAudioCommandBlockSize = 234;
struct AUDIO_COMMAND_BLOCK {
    BYTE bytes[kAudioCommandBlockSize];
};
static_assert(sizeof(AUDIO_COMMAND_BLOCK) == 234, "the library takes a 234-byte block");

// The 68-byte virtual 7.1 speaker table; its fields belong to the 7.1 page.
struct VIRTUAL7CH1_TABLE;

// Called by the library on its own thread with each 5-byte button and GPIO
// report of the device; the last two arguments carry nothing.
typedef int(WINAPI* SCAN_BUTTON_CALLBACK)(WORD vendorId, WORD productId, BYTE* report, int, int);

// The exports the panel calls. All are stdcall and return 0 for success; an
// out-pointer is written only on success. "_ById" exports end with a device
// index (always 0); the lighting exports end with a 32-bit value before it.
typedef int(WINAPI* PFN_DLLKQ_SetActive_Device)(WORD vendorId, WORD productId);
typedef int(WINAPI* PFN_DLLKQ_AudioCommand)(AUDIO_COMMAND_BLOCK* block, int* length);
typedef int(WINAPI* PFN_DLLKQ_SetVirtual7ch1_OnOff)(int on);
typedef int(WINAPI* PFN_DLLKQ_SetVirtual7ch1)(VIRTUAL7CH1_TABLE* table);
typedef int(WINAPI* PFN_DLLKQ_SetVirtual7ch1_Scalar)(float scale);
typedef int(WINAPI* PFN_DLLKQ_SetEnc_Parameters)(BYTE* parameters16);
typedef int(WINAPI* PFN_DLLKQ_UsbHidSlave_SetRGB_Color_Ex)(BYTE led, BYTE slot, BYTE red, BYTE green, BYTE blue,
                                                          DWORD value);
typedef int(WINAPI* PFN_DLLKQ_UsbHidSlave_SetRGB_Mode_Ex)(BYTE led, BYTE mode, BYTE speed, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex)(BYTE led, BYTE brightness, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_UsbHidSlave_SetRGB_Step_Ex)(BYTE slots, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex)(BYTE led, BYTE mode, BYTE red, BYTE green,
                                                                BYTE blue, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_Color)(BYTE address, BYTE led, BYTE slot, BYTE red, BYTE green, BYTE blue,
                                            DWORD value);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_Mode)(BYTE address, BYTE led, BYTE mode, BYTE speed, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_Brightness)(BYTE address, BYTE led, BYTE brightness, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_Step)(BYTE address, BYTE slots, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_SingleColor)(BYTE address, BYTE led, BYTE mode, BYTE red, BYTE green,
                                                  BYTE blue, DWORD value);
typedef int(WINAPI* PFN_DLLKQ_ScanButton_ById)(WORD vendorId, WORD productId, SCAN_BUTTON_CALLBACK callback,
                                               int enable, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_SetGpioMode_ById)(BYTE* modes, int count, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_SetGpioModeEx_ById)(BYTE gpio, BYTE mode, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_GetGpioEx_ById)(BYTE gpio, BYTE* level, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_Write_Register_ById)(WORD reg, BYTE value, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_Read_Register_ById)(WORD reg, BYTE* value, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_Read_I2C_ById)(BYTE address, BYTE firstRegister, BYTE* buffer, int count,
                                             DWORD hundred, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_Config3D_ById)(BYTE index);
typedef int(WINAPI* PFN_DLLKQ_Is3D_Enable_ById)(int* enabled, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_Set3D_OnOff_ById)(int on, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_ConfigEQ_ById)(BYTE index);
typedef int(WINAPI* PFN_DLLKQ_IsEQ_Enable_ById)(int* enabled, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_SetEQ_OnOff_ById)(int on, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_Color_ById)(BYTE address, BYTE led, BYTE slot, BYTE red, BYTE green,
                                                 BYTE blue, DWORD value, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_Mode_ById)(BYTE address, BYTE led, BYTE mode, BYTE speed, DWORD value,
                                                BYTE index);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_Step_ById)(BYTE address, BYTE slots, DWORD value, BYTE index);
typedef int(WINAPI* PFN_DLLKQ_SetRGB_SingleColor_ById)(BYTE address, BYTE led, BYTE mode, BYTE red, BYTE green,
                                                       BYTE blue, DWORD value, BYTE index);

// The library's file name; loaded by bare name, so the normal search order
// finds it beside the program.
constexpr const wchar_t kDeviceLibraryFileName[] = L"DLLKQ_UsbAudio73xx_x32.dll";
constexpr int kDeviceLibraryExportCount = 249;

// One row of the binding table: the export's exact name and the pointer
// variable it fills.
struct DEVICE_LIBRARY_EXPORT {
    const char* name;
    void* slot;
};
// The binding: 249 rows in binding order (row i is entry i + 1), each filling
// one of the pointers below.
extern const DEVICE_LIBRARY_EXPORT DEVICE_LIBRARY_BINDING[kDeviceLibraryExportCount];

// The library's module handle, null until it is loaded.
extern HMODULE hDeviceLibrary;

// One pointer per export, named "fn" and the export's name; the exports the
// panel never calls are kept untyped.
extern FARPROC fnDLLKQ_GetAP_VersionW;
extern FARPROC fnDLLKQ_GetDLL_VersionW;
extern FARPROC fnDLLKQ_CheckDriver;
extern FARPROC fnDLLKQ_CheckDriverEx;
extern FARPROC fnDLLKQ_Search_Present_Device;
extern PFN_DLLKQ_SetActive_Device fnDLLKQ_SetActive_Device;
extern FARPROC fnDLLKQ_DumpDevices_Debug;
extern FARPROC fnDLLKQ_Uninstall_SDK;
extern FARPROC fnDLLKQ_Uninstall_SDK_Ex;
extern FARPROC fnDLLKQ_SetListen2Device;
extern FARPROC fnDLLKQ_SetListen2DeviceEx;
extern FARPROC fnDLLKQ_SetOnDeviceChangeCallback;
extern PFN_DLLKQ_AudioCommand fnDLLKQ_AudioCommand;
extern FARPROC fnDLLKQ_GetEncOnOff;
extern FARPROC fnDLLKQ_SetEncOnOff;
extern FARPROC fnDLLKQ_GetEnc_Scalar;
extern FARPROC fnDLLKQ_SetEnc_Scalar;
extern FARPROC fnDLLKQ_GetEnc_Level;
extern FARPROC fnDLLKQ_SetEnc_Level;
extern FARPROC fnDLLKQ_IsSoundField_Enable;
extern FARPROC fnDLLKQ_SetSoundField_OnOff;
extern FARPROC fnDLLKQ_SetSoundField;
extern FARPROC fnDLLKQ_GetSoundField;
extern FARPROC fnDLLKQ_IsVirtual7ch1_Enable;
extern PFN_DLLKQ_SetVirtual7ch1_OnOff fnDLLKQ_SetVirtual7ch1_OnOff;
extern PFN_DLLKQ_SetVirtual7ch1 fnDLLKQ_SetVirtual7ch1;
extern FARPROC fnDLLKQ_GetVirtual7ch1;
extern FARPROC fnDLLKQ_SetVirtual7ch1_Parameters;
extern FARPROC fnDLLKQ_GetVirtual7ch1_Parameters;
extern PFN_DLLKQ_SetVirtual7ch1_Scalar fnDLLKQ_SetVirtual7ch1_Scalar;
extern FARPROC fnDLLKQ_GetVirtual7ch1_Scalar;
extern FARPROC fnDLLKQ_IsEcho_Enable;
extern FARPROC fnDLLKQ_SetEcho_OnOff;
extern FARPROC fnDLLKQ_SetEcho;
extern FARPROC fnDLLKQ_GetEcho;
extern FARPROC fnDLLKQ_SetEcho_Parameters;
extern FARPROC fnDLLKQ_GetEcho_Parameters;
extern FARPROC fnDLLKQ_IsEnc_Enable;
extern FARPROC fnDLLKQ_SetEnc_OnOff;
extern FARPROC fnDLLKQ_SetEnc;
extern FARPROC fnDLLKQ_GetEnc;
extern PFN_DLLKQ_SetEnc_Parameters fnDLLKQ_SetEnc_Parameters;
extern FARPROC fnDLLKQ_GetEnc_Parameters;
extern FARPROC fnDLLKQ_IsDRC_Enable;
extern FARPROC fnDLLKQ_SetDRC_OnOff;
extern FARPROC fnDLLKQ_SetDRC;
extern FARPROC fnDLLKQ_GetDRC;
extern FARPROC fnDLLKQ_SetDRC_Parameters;
extern FARPROC fnDLLKQ_GetDRC_Parameters;
extern FARPROC fnDLLKQ_IsNoiseClean_Enable;
extern FARPROC fnDLLKQ_SetNoiseClean_OnOff;
extern FARPROC fnDLLKQ_SetNoiseClean;
extern FARPROC fnDLLKQ_GetNoiseClean;
extern FARPROC fnDLLKQ_SetNoiseClean_Parameters;
extern FARPROC fnDLLKQ_GetNoiseClean_Parameters;
extern FARPROC fnDLLKQ_SetEffect_Mode;
extern FARPROC fnDLLKQ_GetEffect_Mode;
extern FARPROC fnDLLKQ_SetEffect_Mode_Brantel;
extern FARPROC fnDLLKQ_SetMicMute;
extern FARPROC fnDLLKQ_GetMicMute;
extern FARPROC fnDLLKQ_SetMicBoost;
extern FARPROC fnDLLKQ_GetMicBoost;
extern FARPROC fnDLLKQ_SetMicVolume;
extern FARPROC fnDLLKQ_GetMicVolume;
extern FARPROC fnDLLKQ_SpeakerVolumeKey;
extern FARPROC fnDLLKQ_GetSpeakerMasterVolume;
extern FARPROC fnDLLKQ_SetSpeakerMasterVolume;
extern FARPROC fnDLLKQ_GetSpeakerChannelVolume;
extern FARPROC fnDLLKQ_SetSpeakerChannelVolume;
extern FARPROC fnDLLKQ_GetSpeakerMasterVolumeMute;
extern FARPROC fnDLLKQ_SetSpeakerMasterVolumeMute;
extern FARPROC fnDLLKQ_UsbHidSlave_SetRegisterData_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_GetRegisterData_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_WriteI2C_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_ReadI2C_Ex;
extern PFN_DLLKQ_UsbHidSlave_SetRGB_Color_Ex fnDLLKQ_UsbHidSlave_SetRGB_Color_Ex;
extern PFN_DLLKQ_UsbHidSlave_SetRGB_Mode_Ex fnDLLKQ_UsbHidSlave_SetRGB_Mode_Ex;
extern PFN_DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex fnDLLKQ_UsbHidSlave_SetRGB_Brightness_Ex;
extern PFN_DLLKQ_UsbHidSlave_SetRGB_Step_Ex fnDLLKQ_UsbHidSlave_SetRGB_Step_Ex;
extern PFN_DLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex fnDLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_StoreOrClearRGB_Color_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_GetDataFromMCU_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_SetDataToMCU_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_GetFanSpeed_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_GetFanVoltage_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_GetFanCurrent_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_SetFanOrMotor_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_GetManufacturerID_Ex;
extern FARPROC fnDLLKQ_UsbHidSlave_GetFirmwareVersion_Ex;
extern FARPROC fnDLLKQ_GetInputReportLength;
extern FARPROC fnDLLKQ_GetOutputReportLength;
extern FARPROC fnDLLKQ_GetReportType;
extern FARPROC fnDLLKQ_SetOutputReport;
extern FARPROC fnDLLKQ_GetInputReport;
extern FARPROC fnDLLKQ_ReadChipId;
extern FARPROC fnDLLKQ_ReadEfuse;
extern FARPROC fnDLLKQ_SetScanTime;
extern FARPROC fnDLLKQ_ScanButton;
extern FARPROC fnDLLKQ_SetGpioMode;
extern FARPROC fnDLLKQ_SetGpioModeEx;
extern FARPROC fnDLLKQ_SetGpio;
extern FARPROC fnDLLKQ_GetGpio;
extern FARPROC fnDLLKQ_Write_Register;
extern FARPROC fnDLLKQ_Read_Register;
extern FARPROC fnDLLKQ_Write_I2C;
extern FARPROC fnDLLKQ_Read_I2C;
extern FARPROC fnDLLKQ_WriteI2C_ByMode;
extern FARPROC fnDLLKQ_ReadI2C_ByMode;
extern FARPROC fnDLLKQ_Write_EEPROM;
extern FARPROC fnDLLKQ_Read_EEPROM;
extern FARPROC fnDLLKQ_Config3D;
extern FARPROC fnDLLKQ_Reset3D;
extern FARPROC fnDLLKQ_Is3D_Enable;
extern FARPROC fnDLLKQ_Set3D_OnOff;
extern FARPROC fnDLLKQ_Set3D;
extern FARPROC fnDLLKQ_Get3D;
extern FARPROC fnDLLKQ_ConfigEQ;
extern FARPROC fnDLLKQ_IsEQ_Enable;
extern FARPROC fnDLLKQ_SetEQ_OnOff;
extern FARPROC fnDLLKQ_SetEQ;
extern FARPROC fnDLLKQ_GetEQ;
extern FARPROC fnDLLKQ_SetEQ_DB;
extern FARPROC fnDLLKQ_GetEQ_DB;
extern FARPROC fnDLLKQ_GetEQ_GainValueByDB;
extern FARPROC fnDLLKQ_GetEQ_GainValueByGainIndex;
extern PFN_DLLKQ_SetRGB_Color fnDLLKQ_SetRGB_Color;
extern PFN_DLLKQ_SetRGB_Mode fnDLLKQ_SetRGB_Mode;
extern PFN_DLLKQ_SetRGB_Brightness fnDLLKQ_SetRGB_Brightness;
extern PFN_DLLKQ_SetRGB_Step fnDLLKQ_SetRGB_Step;
extern PFN_DLLKQ_SetRGB_SingleColor fnDLLKQ_SetRGB_SingleColor;
extern FARPROC fnDLLKQ_StoreOrClearRGB_Color;
extern FARPROC fnDLLKQ_GetDataFromMCU;
extern FARPROC fnDLLKQ_SetDataToMCU;
extern FARPROC fnDLLKQ_SetFanOrMotor;
extern FARPROC fnDLLKQ_GetManufacturerID;
extern FARPROC fnDLLKQ_GetFirmwareVersion;
extern FARPROC fnDLLKQ_GetRGB_Color;
extern FARPROC fnDLLKQ_GetRGB_Mode;
extern FARPROC fnDLLKQ_GetRGB_Brightness;
extern FARPROC fnDLLKQ_GetRGB_Step;
extern FARPROC fnDLLKQ_GetRGB_SingleColor;
extern FARPROC fnDLLKQ_ReadChipId_ById;
extern FARPROC fnDLLKQ_ReadEfuse_ById;
extern PFN_DLLKQ_ScanButton_ById fnDLLKQ_ScanButton_ById;
extern PFN_DLLKQ_SetGpioMode_ById fnDLLKQ_SetGpioMode_ById;
extern PFN_DLLKQ_SetGpioModeEx_ById fnDLLKQ_SetGpioModeEx_ById;
extern FARPROC fnDLLKQ_GetGpioMode_ById;
extern FARPROC fnDLLKQ_GetGpioModeEx_ById;
extern FARPROC fnDLLKQ_SetGpio_ById;
extern FARPROC fnDLLKQ_SetGpioEx_ById;
extern FARPROC fnDLLKQ_GetGpio_ById;
extern PFN_DLLKQ_GetGpioEx_ById fnDLLKQ_GetGpioEx_ById;
extern PFN_DLLKQ_Write_Register_ById fnDLLKQ_Write_Register_ById;
extern PFN_DLLKQ_Read_Register_ById fnDLLKQ_Read_Register_ById;
extern FARPROC fnDLLKQ_WaitI2CReady_ById;
extern FARPROC fnDLLKQ_Write_I2C_ById;
extern PFN_DLLKQ_Read_I2C_ById fnDLLKQ_Read_I2C_ById;
extern FARPROC fnDLLKQ_WriteI2C_ByMode_ById;
extern FARPROC fnDLLKQ_ReadI2C_ByMode_ById;
extern FARPROC fnDLLKQ_Write_EEPROM_ById;
extern FARPROC fnDLLKQ_Read_EEPROM_ById;
extern PFN_DLLKQ_Config3D_ById fnDLLKQ_Config3D_ById;
extern FARPROC fnDLLKQ_Reset3D_ById;
extern PFN_DLLKQ_Is3D_Enable_ById fnDLLKQ_Is3D_Enable_ById;
extern PFN_DLLKQ_Set3D_OnOff_ById fnDLLKQ_Set3D_OnOff_ById;
extern FARPROC fnDLLKQ_Set3D_ById;
extern FARPROC fnDLLKQ_Get3D_ById;
extern PFN_DLLKQ_ConfigEQ_ById fnDLLKQ_ConfigEQ_ById;
extern PFN_DLLKQ_IsEQ_Enable_ById fnDLLKQ_IsEQ_Enable_ById;
extern PFN_DLLKQ_SetEQ_OnOff_ById fnDLLKQ_SetEQ_OnOff_ById;
extern FARPROC fnDLLKQ_SetEQ_ById;
extern FARPROC fnDLLKQ_GetEQ_ById;
extern FARPROC fnDLLKQ_SetEQ_DB_ById;
extern FARPROC fnDLLKQ_GetEQ_DB_ById;
extern FARPROC fnDLLKQ_GetEQ_CurrentBank_ById;
extern PFN_DLLKQ_SetRGB_Color_ById fnDLLKQ_SetRGB_Color_ById;
extern PFN_DLLKQ_SetRGB_Mode_ById fnDLLKQ_SetRGB_Mode_ById;
extern FARPROC fnDLLKQ_SetRGB_Brightness_ById;
extern PFN_DLLKQ_SetRGB_Step_ById fnDLLKQ_SetRGB_Step_ById;
extern PFN_DLLKQ_SetRGB_SingleColor_ById fnDLLKQ_SetRGB_SingleColor_ById;
extern FARPROC fnDLLKQ_StoreOrClearRGB_Color_ById;
extern FARPROC fnDLLKQ_GetDataFromMCU_ById;
extern FARPROC fnDLLKQ_SetDataToMCU_ById;
extern FARPROC fnDLLKQ_SetFanOrMotor_ById;
extern FARPROC fnDLLKQ_GetManufacturerID_ById;
extern FARPROC fnDLLKQ_GetFirmwareVersion_ById;
extern FARPROC fnDLLKQ_GetRGB_Color_ById;
extern FARPROC fnDLLKQ_GetRGB_Mode_ById;
extern FARPROC fnDLLKQ_GetRGB_Brightness_ById;
extern FARPROC fnDLLKQ_GetRGB_Step_ById;
extern FARPROC fnDLLKQ_GetRGB_SingleColor_ById;
extern FARPROC fnDLLKQ_PWM_SetConfig_ById;
extern FARPROC fnDLLKQ_PWM_GetConfig_ById;
extern FARPROC fnDLLKQ_PWM_SetSpeedUnit_ById;
extern FARPROC fnDLLKQ_PWM_GetSpeedUnit_ById;
extern FARPROC fnDLLKQ_PWM_SetLED_ButtonMode_ById;
extern FARPROC fnDLLKQ_PWM_GetLED_ButtonMode_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_ButtonMode_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_ButtonMode_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_Duty_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_Duty_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_Cycle_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_Cycle_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_Speed_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_Speed_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_PinOutActiveMode_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_PinOutActiveMode_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_DataMode_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_DataMode_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_OnActionMode_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_OnActionMode_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_OffActionMode_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_OffActionMode_ById;
extern FARPROC fnDLLKQ_PWM_SetBREATHING_ActionMode_ById;
extern FARPROC fnDLLKQ_PWM_GetBREATHING_ActionMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_ButtonMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_ButtonMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_Period_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_Period_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_Brightness_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_Brightness_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_Cycle_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_Cycle_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_Speed_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_Speed_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_PinOutActiveMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_PinOutActiveMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_DataMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_DataMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_OnActionMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_OnActionMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_OffActionMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_OffActionMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_ActionMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_ActionMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_OnColorMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_OnColorMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_OffColorMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_OffColorMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_ColorMode_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_ColorMode_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_OnColorSelect_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_OnColorSelect_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_OffColorSelect_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_OffColorSelect_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_ColorSelect_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_ColorSelect_ById;
extern FARPROC fnDLLKQ_PWM_SetRGB_Color_ById;
extern FARPROC fnDLLKQ_PWM_GetRGB_Color_ById;

// Loads the library and binds every export in table order. Returns 0 when all
// are bound, 1 when the library cannot be loaded (after showing the error),
// or n + 1 when entry n is missing (the entries before it stay bound).
int Open_DLLKQ_UsbAudio73xx(const wchar_t* fileName);

// Shows the calling thread's last Windows error in an "Error" box.
void ShowLastErrorBox();
