#include "panel/device/DeviceLibrary.h"

#include <cstring>

#include "shared/DebugTrace.h"

HMODULE hDeviceLibrary = nullptr;

FARPROC fnDLLKQ_GetAP_VersionW = nullptr;
FARPROC fnDLLKQ_GetDLL_VersionW = nullptr;
FARPROC fnDLLKQ_CheckDriver = nullptr;
FARPROC fnDLLKQ_CheckDriverEx = nullptr;
FARPROC fnDLLKQ_Search_Present_Device = nullptr;
PFN_DLLKQ_SetActive_Device fnDLLKQ_SetActive_Device = nullptr;
FARPROC fnDLLKQ_DumpDevices_Debug = nullptr;
FARPROC fnDLLKQ_Uninstall_SDK = nullptr;
FARPROC fnDLLKQ_Uninstall_SDK_Ex = nullptr;
FARPROC fnDLLKQ_SetListen2Device = nullptr;
FARPROC fnDLLKQ_SetListen2DeviceEx = nullptr;
FARPROC fnDLLKQ_SetOnDeviceChangeCallback = nullptr;
PFN_DLLKQ_AudioCommand fnDLLKQ_AudioCommand = nullptr;
FARPROC fnDLLKQ_GetEncOnOff = nullptr;
FARPROC fnDLLKQ_SetEncOnOff = nullptr;
FARPROC fnDLLKQ_GetEnc_Scalar = nullptr;
FARPROC fnDLLKQ_SetEnc_Scalar = nullptr;
FARPROC fnDLLKQ_GetEnc_Level = nullptr;
FARPROC fnDLLKQ_SetEnc_Level = nullptr;
FARPROC fnDLLKQ_IsSoundField_Enable = nullptr;
FARPROC fnDLLKQ_SetSoundField_OnOff = nullptr;
FARPROC fnDLLKQ_SetSoundField = nullptr;
FARPROC fnDLLKQ_GetSoundField = nullptr;
FARPROC fnDLLKQ_IsVirtual7ch1_Enable = nullptr;
PFN_DLLKQ_SetVirtual7ch1_OnOff fnDLLKQ_SetVirtual7ch1_OnOff = nullptr;
PFN_DLLKQ_SetVirtual7ch1 fnDLLKQ_SetVirtual7ch1 = nullptr;
FARPROC fnDLLKQ_GetVirtual7ch1 = nullptr;
FARPROC fnDLLKQ_SetVirtual7ch1_Parameters = nullptr;
FARPROC fnDLLKQ_GetVirtual7ch1_Parameters = nullptr;
PFN_DLLKQ_SetVirtual7ch1_Scalar fnDLLKQ_SetVirtual7ch1_Scalar = nullptr;
FARPROC fnDLLKQ_GetVirtual7ch1_Scalar = nullptr;
FARPROC fnDLLKQ_IsEcho_Enable = nullptr;
FARPROC fnDLLKQ_SetEcho_OnOff = nullptr;
FARPROC fnDLLKQ_SetEcho = nullptr;
FARPROC fnDLLKQ_GetEcho = nullptr;
FARPROC fnDLLKQ_SetEcho_Parameters = nullptr;
FARPROC fnDLLKQ_GetEcho_Parameters = nullptr;
FARPROC fnDLLKQ_IsEnc_Enable = nullptr;
FARPROC fnDLLKQ_SetEnc_OnOff = nullptr;
FARPROC fnDLLKQ_SetEnc = nullptr;
FARPROC fnDLLKQ_GetEnc = nullptr;
PFN_DLLKQ_SetEnc_Parameters fnDLLKQ_SetEnc_Parameters = nullptr;
FARPROC fnDLLKQ_GetEnc_Parameters = nullptr;
FARPROC fnDLLKQ_IsDRC_Enable = nullptr;
FARPROC fnDLLKQ_SetDRC_OnOff = nullptr;
FARPROC fnDLLKQ_SetDRC = nullptr;
FARPROC fnDLLKQ_GetDRC = nullptr;
FARPROC fnDLLKQ_SetDRC_Parameters = nullptr;
FARPROC fnDLLKQ_GetDRC_Parameters = nullptr;
FARPROC fnDLLKQ_IsNoiseClean_Enable = nullptr;
FARPROC fnDLLKQ_SetNoiseClean_OnOff = nullptr;
FARPROC fnDLLKQ_SetNoiseClean = nullptr;
FARPROC fnDLLKQ_GetNoiseClean = nullptr;
FARPROC fnDLLKQ_SetNoiseClean_Parameters = nullptr;
FARPROC fnDLLKQ_GetNoiseClean_Parameters = nullptr;
FARPROC fnDLLKQ_SetEffect_Mode = nullptr;
FARPROC fnDLLKQ_GetEffect_Mode = nullptr;
FARPROC fnDLLKQ_SetEffect_Mode_Brantel = nullptr;
FARPROC fnDLLKQ_SetMicMute = nullptr;
FARPROC fnDLLKQ_GetMicMute = nullptr;
FARPROC fnDLLKQ_SetMicBoost = nullptr;
FARPROC fnDLLKQ_GetMicBoost = nullptr;
FARPROC fnDLLKQ_SetMicVolume = nullptr;
FARPROC fnDLLKQ_GetMicVolume = nullptr;
FARPROC fnDLLKQ_SpeakerVolumeKey = nullptr;
FARPROC fnDLLKQ_GetSpeakerMasterVolume = nullptr;
FARPROC fnDLLKQ_SetSpeakerMasterVolume = nullptr;
FARPROC fnDLLKQ_GetSpeakerChannelVolume = nullptr;
FARPROC fnDLLKQ_SetSpeakerChannelVolume = nullptr;
FARPROC fnDLLKQ_GetSpeakerMasterVolumeMute = nullptr;
FARPROC fnDLLKQ_SetSpeakerMasterVolumeMute = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_SetRegisterData_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_GetRegisterData_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_WriteI2C_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_ReadI2C_Ex = nullptr;
PFN_DLLKQ_UsbHidSlave_SetRGB_Color_Ex fnDLLKQ_UsbHidSlave_SetRGB_Color_Ex = nullptr;
PFN_DLLKQ_UsbHidSlave_SetRGB_Mode_Ex fnDLLKQ_UsbHidSlave_SetRGB_Mode_Ex = nullptr;
PFN_DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex fnDLLKQ_UsbHidSlave_SetRGB_Brightness_Ex = nullptr;
PFN_DLLKQ_UsbHidSlave_SetRGB_Step_Ex fnDLLKQ_UsbHidSlave_SetRGB_Step_Ex = nullptr;
PFN_DLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex fnDLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_StoreOrClearRGB_Color_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_GetDataFromMCU_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_SetDataToMCU_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_GetFanSpeed_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_GetFanVoltage_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_GetFanCurrent_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_SetFanOrMotor_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_GetManufacturerID_Ex = nullptr;
FARPROC fnDLLKQ_UsbHidSlave_GetFirmwareVersion_Ex = nullptr;
FARPROC fnDLLKQ_GetInputReportLength = nullptr;
FARPROC fnDLLKQ_GetOutputReportLength = nullptr;
FARPROC fnDLLKQ_GetReportType = nullptr;
FARPROC fnDLLKQ_SetOutputReport = nullptr;
FARPROC fnDLLKQ_GetInputReport = nullptr;
FARPROC fnDLLKQ_ReadChipId = nullptr;
FARPROC fnDLLKQ_ReadEfuse = nullptr;
FARPROC fnDLLKQ_SetScanTime = nullptr;
FARPROC fnDLLKQ_ScanButton = nullptr;
FARPROC fnDLLKQ_SetGpioMode = nullptr;
FARPROC fnDLLKQ_SetGpioModeEx = nullptr;
FARPROC fnDLLKQ_SetGpio = nullptr;
FARPROC fnDLLKQ_GetGpio = nullptr;
FARPROC fnDLLKQ_Write_Register = nullptr;
FARPROC fnDLLKQ_Read_Register = nullptr;
FARPROC fnDLLKQ_Write_I2C = nullptr;
FARPROC fnDLLKQ_Read_I2C = nullptr;
FARPROC fnDLLKQ_WriteI2C_ByMode = nullptr;
FARPROC fnDLLKQ_ReadI2C_ByMode = nullptr;
FARPROC fnDLLKQ_Write_EEPROM = nullptr;
FARPROC fnDLLKQ_Read_EEPROM = nullptr;
FARPROC fnDLLKQ_Config3D = nullptr;
FARPROC fnDLLKQ_Reset3D = nullptr;
FARPROC fnDLLKQ_Is3D_Enable = nullptr;
FARPROC fnDLLKQ_Set3D_OnOff = nullptr;
FARPROC fnDLLKQ_Set3D = nullptr;
FARPROC fnDLLKQ_Get3D = nullptr;
FARPROC fnDLLKQ_ConfigEQ = nullptr;
FARPROC fnDLLKQ_IsEQ_Enable = nullptr;
FARPROC fnDLLKQ_SetEQ_OnOff = nullptr;
FARPROC fnDLLKQ_SetEQ = nullptr;
FARPROC fnDLLKQ_GetEQ = nullptr;
FARPROC fnDLLKQ_SetEQ_DB = nullptr;
FARPROC fnDLLKQ_GetEQ_DB = nullptr;
FARPROC fnDLLKQ_GetEQ_GainValueByDB = nullptr;
FARPROC fnDLLKQ_GetEQ_GainValueByGainIndex = nullptr;
PFN_DLLKQ_SetRGB_Color fnDLLKQ_SetRGB_Color = nullptr;
PFN_DLLKQ_SetRGB_Mode fnDLLKQ_SetRGB_Mode = nullptr;
PFN_DLLKQ_SetRGB_Brightness fnDLLKQ_SetRGB_Brightness = nullptr;
PFN_DLLKQ_SetRGB_Step fnDLLKQ_SetRGB_Step = nullptr;
PFN_DLLKQ_SetRGB_SingleColor fnDLLKQ_SetRGB_SingleColor = nullptr;
FARPROC fnDLLKQ_StoreOrClearRGB_Color = nullptr;
FARPROC fnDLLKQ_GetDataFromMCU = nullptr;
FARPROC fnDLLKQ_SetDataToMCU = nullptr;
FARPROC fnDLLKQ_SetFanOrMotor = nullptr;
FARPROC fnDLLKQ_GetManufacturerID = nullptr;
FARPROC fnDLLKQ_GetFirmwareVersion = nullptr;
FARPROC fnDLLKQ_GetRGB_Color = nullptr;
FARPROC fnDLLKQ_GetRGB_Mode = nullptr;
FARPROC fnDLLKQ_GetRGB_Brightness = nullptr;
FARPROC fnDLLKQ_GetRGB_Step = nullptr;
FARPROC fnDLLKQ_GetRGB_SingleColor = nullptr;
FARPROC fnDLLKQ_ReadChipId_ById = nullptr;
FARPROC fnDLLKQ_ReadEfuse_ById = nullptr;
PFN_DLLKQ_ScanButton_ById fnDLLKQ_ScanButton_ById = nullptr;
PFN_DLLKQ_SetGpioMode_ById fnDLLKQ_SetGpioMode_ById = nullptr;
PFN_DLLKQ_SetGpioModeEx_ById fnDLLKQ_SetGpioModeEx_ById = nullptr;
FARPROC fnDLLKQ_GetGpioMode_ById = nullptr;
FARPROC fnDLLKQ_GetGpioModeEx_ById = nullptr;
FARPROC fnDLLKQ_SetGpio_ById = nullptr;
FARPROC fnDLLKQ_SetGpioEx_ById = nullptr;
FARPROC fnDLLKQ_GetGpio_ById = nullptr;
PFN_DLLKQ_GetGpioEx_ById fnDLLKQ_GetGpioEx_ById = nullptr;
PFN_DLLKQ_Write_Register_ById fnDLLKQ_Write_Register_ById = nullptr;
PFN_DLLKQ_Read_Register_ById fnDLLKQ_Read_Register_ById = nullptr;
FARPROC fnDLLKQ_WaitI2CReady_ById = nullptr;
FARPROC fnDLLKQ_Write_I2C_ById = nullptr;
PFN_DLLKQ_Read_I2C_ById fnDLLKQ_Read_I2C_ById = nullptr;
FARPROC fnDLLKQ_WriteI2C_ByMode_ById = nullptr;
FARPROC fnDLLKQ_ReadI2C_ByMode_ById = nullptr;
FARPROC fnDLLKQ_Write_EEPROM_ById = nullptr;
FARPROC fnDLLKQ_Read_EEPROM_ById = nullptr;
PFN_DLLKQ_Config3D_ById fnDLLKQ_Config3D_ById = nullptr;
FARPROC fnDLLKQ_Reset3D_ById = nullptr;
PFN_DLLKQ_Is3D_Enable_ById fnDLLKQ_Is3D_Enable_ById = nullptr;
PFN_DLLKQ_Set3D_OnOff_ById fnDLLKQ_Set3D_OnOff_ById = nullptr;
FARPROC fnDLLKQ_Set3D_ById = nullptr;
FARPROC fnDLLKQ_Get3D_ById = nullptr;
PFN_DLLKQ_ConfigEQ_ById fnDLLKQ_ConfigEQ_ById = nullptr;
PFN_DLLKQ_IsEQ_Enable_ById fnDLLKQ_IsEQ_Enable_ById = nullptr;
PFN_DLLKQ_SetEQ_OnOff_ById fnDLLKQ_SetEQ_OnOff_ById = nullptr;
FARPROC fnDLLKQ_SetEQ_ById = nullptr;
FARPROC fnDLLKQ_GetEQ_ById = nullptr;
FARPROC fnDLLKQ_SetEQ_DB_ById = nullptr;
FARPROC fnDLLKQ_GetEQ_DB_ById = nullptr;
FARPROC fnDLLKQ_GetEQ_CurrentBank_ById = nullptr;
PFN_DLLKQ_SetRGB_Color_ById fnDLLKQ_SetRGB_Color_ById = nullptr;
PFN_DLLKQ_SetRGB_Mode_ById fnDLLKQ_SetRGB_Mode_ById = nullptr;
FARPROC fnDLLKQ_SetRGB_Brightness_ById = nullptr;
PFN_DLLKQ_SetRGB_Step_ById fnDLLKQ_SetRGB_Step_ById = nullptr;
PFN_DLLKQ_SetRGB_SingleColor_ById fnDLLKQ_SetRGB_SingleColor_ById = nullptr;
FARPROC fnDLLKQ_StoreOrClearRGB_Color_ById = nullptr;
FARPROC fnDLLKQ_GetDataFromMCU_ById = nullptr;
FARPROC fnDLLKQ_SetDataToMCU_ById = nullptr;
FARPROC fnDLLKQ_SetFanOrMotor_ById = nullptr;
FARPROC fnDLLKQ_GetManufacturerID_ById = nullptr;
FARPROC fnDLLKQ_GetFirmwareVersion_ById = nullptr;
FARPROC fnDLLKQ_GetRGB_Color_ById = nullptr;
FARPROC fnDLLKQ_GetRGB_Mode_ById = nullptr;
FARPROC fnDLLKQ_GetRGB_Brightness_ById = nullptr;
FARPROC fnDLLKQ_GetRGB_Step_ById = nullptr;
FARPROC fnDLLKQ_GetRGB_SingleColor_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetConfig_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetConfig_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetSpeedUnit_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetSpeedUnit_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetLED_ButtonMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetLED_ButtonMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_ButtonMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_ButtonMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_Duty_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_Duty_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_Cycle_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_Cycle_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_Speed_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_Speed_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_PinOutActiveMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_PinOutActiveMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_DataMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_DataMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_OnActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_OnActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_OffActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_OffActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetBREATHING_ActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetBREATHING_ActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_ButtonMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_ButtonMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_Period_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_Period_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_Brightness_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_Brightness_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_Cycle_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_Cycle_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_Speed_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_Speed_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_PinOutActiveMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_PinOutActiveMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_DataMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_DataMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_OnActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_OnActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_OffActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_OffActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_ActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_ActionMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_OnColorMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_OnColorMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_OffColorMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_OffColorMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_ColorMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_ColorMode_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_OnColorSelect_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_OnColorSelect_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_OffColorSelect_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_OffColorSelect_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_ColorSelect_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_ColorSelect_ById = nullptr;
FARPROC fnDLLKQ_PWM_SetRGB_Color_ById = nullptr;
FARPROC fnDLLKQ_PWM_GetRGB_Color_ById = nullptr;

const DEVICE_LIBRARY_EXPORT DEVICE_LIBRARY_BINDING[kDeviceLibraryExportCount] = {
    {"DLLKQ_GetAP_VersionW", &fnDLLKQ_GetAP_VersionW},
    {"DLLKQ_GetDLL_VersionW", &fnDLLKQ_GetDLL_VersionW},
    {"DLLKQ_CheckDriver", &fnDLLKQ_CheckDriver},
    {"DLLKQ_CheckDriverEx", &fnDLLKQ_CheckDriverEx},
    {"DLLKQ_Search_Present_Device", &fnDLLKQ_Search_Present_Device},
    {"DLLKQ_SetActive_Device", &fnDLLKQ_SetActive_Device},
    {"DLLKQ_DumpDevices_Debug", &fnDLLKQ_DumpDevices_Debug},
    {"DLLKQ_Uninstall_SDK", &fnDLLKQ_Uninstall_SDK},
    {"DLLKQ_Uninstall_SDK_Ex", &fnDLLKQ_Uninstall_SDK_Ex},
    {"DLLKQ_SetListen2Device", &fnDLLKQ_SetListen2Device},
    {"DLLKQ_SetListen2DeviceEx", &fnDLLKQ_SetListen2DeviceEx},
    {"DLLKQ_SetOnDeviceChangeCallback", &fnDLLKQ_SetOnDeviceChangeCallback},
    {"DLLKQ_AudioCommand", &fnDLLKQ_AudioCommand},
    {"DLLKQ_GetEncOnOff", &fnDLLKQ_GetEncOnOff},
    {"DLLKQ_SetEncOnOff", &fnDLLKQ_SetEncOnOff},
    {"DLLKQ_GetEnc_Scalar", &fnDLLKQ_GetEnc_Scalar},
    {"DLLKQ_SetEnc_Scalar", &fnDLLKQ_SetEnc_Scalar},
    {"DLLKQ_GetEnc_Level", &fnDLLKQ_GetEnc_Level},
    {"DLLKQ_SetEnc_Level", &fnDLLKQ_SetEnc_Level},
    {"DLLKQ_IsSoundField_Enable", &fnDLLKQ_IsSoundField_Enable},
    {"DLLKQ_SetSoundField_OnOff", &fnDLLKQ_SetSoundField_OnOff},
    {"DLLKQ_SetSoundField", &fnDLLKQ_SetSoundField},
    {"DLLKQ_GetSoundField", &fnDLLKQ_GetSoundField},
    {"DLLKQ_IsVirtual7ch1_Enable", &fnDLLKQ_IsVirtual7ch1_Enable},
    {"DLLKQ_SetVirtual7ch1_OnOff", &fnDLLKQ_SetVirtual7ch1_OnOff},
    {"DLLKQ_SetVirtual7ch1", &fnDLLKQ_SetVirtual7ch1},
    {"DLLKQ_GetVirtual7ch1", &fnDLLKQ_GetVirtual7ch1},
    {"DLLKQ_SetVirtual7ch1_Parameters", &fnDLLKQ_SetVirtual7ch1_Parameters},
    {"DLLKQ_GetVirtual7ch1_Parameters", &fnDLLKQ_GetVirtual7ch1_Parameters},
    {"DLLKQ_SetVirtual7ch1_Scalar", &fnDLLKQ_SetVirtual7ch1_Scalar},
    {"DLLKQ_GetVirtual7ch1_Scalar", &fnDLLKQ_GetVirtual7ch1_Scalar},
    {"DLLKQ_IsEcho_Enable", &fnDLLKQ_IsEcho_Enable},
    {"DLLKQ_SetEcho_OnOff", &fnDLLKQ_SetEcho_OnOff},
    {"DLLKQ_SetEcho", &fnDLLKQ_SetEcho},
    {"DLLKQ_GetEcho", &fnDLLKQ_GetEcho},
    {"DLLKQ_SetEcho_Parameters", &fnDLLKQ_SetEcho_Parameters},
    {"DLLKQ_GetEcho_Parameters", &fnDLLKQ_GetEcho_Parameters},
    {"DLLKQ_IsEnc_Enable", &fnDLLKQ_IsEnc_Enable},
    {"DLLKQ_SetEnc_OnOff", &fnDLLKQ_SetEnc_OnOff},
    {"DLLKQ_SetEnc", &fnDLLKQ_SetEnc},
    {"DLLKQ_GetEnc", &fnDLLKQ_GetEnc},
    {"DLLKQ_SetEnc_Parameters", &fnDLLKQ_SetEnc_Parameters},
    {"DLLKQ_GetEnc_Parameters", &fnDLLKQ_GetEnc_Parameters},
    {"DLLKQ_IsDRC_Enable", &fnDLLKQ_IsDRC_Enable},
    {"DLLKQ_SetDRC_OnOff", &fnDLLKQ_SetDRC_OnOff},
    {"DLLKQ_SetDRC", &fnDLLKQ_SetDRC},
    {"DLLKQ_GetDRC", &fnDLLKQ_GetDRC},
    {"DLLKQ_SetDRC_Parameters", &fnDLLKQ_SetDRC_Parameters},
    {"DLLKQ_GetDRC_Parameters", &fnDLLKQ_GetDRC_Parameters},
    {"DLLKQ_IsNoiseClean_Enable", &fnDLLKQ_IsNoiseClean_Enable},
    {"DLLKQ_SetNoiseClean_OnOff", &fnDLLKQ_SetNoiseClean_OnOff},
    {"DLLKQ_SetNoiseClean", &fnDLLKQ_SetNoiseClean},
    {"DLLKQ_GetNoiseClean", &fnDLLKQ_GetNoiseClean},
    {"DLLKQ_SetNoiseClean_Parameters", &fnDLLKQ_SetNoiseClean_Parameters},
    {"DLLKQ_GetNoiseClean_Parameters", &fnDLLKQ_GetNoiseClean_Parameters},
    {"DLLKQ_SetEffect_Mode", &fnDLLKQ_SetEffect_Mode},
    {"DLLKQ_GetEffect_Mode", &fnDLLKQ_GetEffect_Mode},
    {"DLLKQ_SetEffect_Mode_Brantel", &fnDLLKQ_SetEffect_Mode_Brantel},
    {"DLLKQ_SetMicMute", &fnDLLKQ_SetMicMute},
    {"DLLKQ_GetMicMute", &fnDLLKQ_GetMicMute},
    {"DLLKQ_SetMicBoost", &fnDLLKQ_SetMicBoost},
    {"DLLKQ_GetMicBoost", &fnDLLKQ_GetMicBoost},
    {"DLLKQ_SetMicVolume", &fnDLLKQ_SetMicVolume},
    {"DLLKQ_GetMicVolume", &fnDLLKQ_GetMicVolume},
    {"DLLKQ_SpeakerVolumeKey", &fnDLLKQ_SpeakerVolumeKey},
    {"DLLKQ_GetSpeakerMasterVolume", &fnDLLKQ_GetSpeakerMasterVolume},
    {"DLLKQ_SetSpeakerMasterVolume", &fnDLLKQ_SetSpeakerMasterVolume},
    {"DLLKQ_GetSpeakerChannelVolume", &fnDLLKQ_GetSpeakerChannelVolume},
    {"DLLKQ_SetSpeakerChannelVolume", &fnDLLKQ_SetSpeakerChannelVolume},
    {"DLLKQ_GetSpeakerMasterVolumeMute", &fnDLLKQ_GetSpeakerMasterVolumeMute},
    {"DLLKQ_SetSpeakerMasterVolumeMute", &fnDLLKQ_SetSpeakerMasterVolumeMute},
    {"DLLKQ_UsbHidSlave_SetRegisterData_Ex", &fnDLLKQ_UsbHidSlave_SetRegisterData_Ex},
    {"DLLKQ_UsbHidSlave_GetRegisterData_Ex", &fnDLLKQ_UsbHidSlave_GetRegisterData_Ex},
    {"DLLKQ_UsbHidSlave_WriteI2C_Ex", &fnDLLKQ_UsbHidSlave_WriteI2C_Ex},
    {"DLLKQ_UsbHidSlave_ReadI2C_Ex", &fnDLLKQ_UsbHidSlave_ReadI2C_Ex},
    {"DLLKQ_UsbHidSlave_SetRGB_Color_Ex", &fnDLLKQ_UsbHidSlave_SetRGB_Color_Ex},
    {"DLLKQ_UsbHidSlave_SetRGB_Mode_Ex", &fnDLLKQ_UsbHidSlave_SetRGB_Mode_Ex},
    {"DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex", &fnDLLKQ_UsbHidSlave_SetRGB_Brightness_Ex},
    {"DLLKQ_UsbHidSlave_SetRGB_Step_Ex", &fnDLLKQ_UsbHidSlave_SetRGB_Step_Ex},
    {"DLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex", &fnDLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex},
    {"DLLKQ_UsbHidSlave_StoreOrClearRGB_Color_Ex", &fnDLLKQ_UsbHidSlave_StoreOrClearRGB_Color_Ex},
    {"DLLKQ_UsbHidSlave_GetDataFromMCU_Ex", &fnDLLKQ_UsbHidSlave_GetDataFromMCU_Ex},
    {"DLLKQ_UsbHidSlave_SetDataToMCU_Ex", &fnDLLKQ_UsbHidSlave_SetDataToMCU_Ex},
    {"DLLKQ_UsbHidSlave_GetFanSpeed_Ex", &fnDLLKQ_UsbHidSlave_GetFanSpeed_Ex},
    {"DLLKQ_UsbHidSlave_GetFanVoltage_Ex", &fnDLLKQ_UsbHidSlave_GetFanVoltage_Ex},
    {"DLLKQ_UsbHidSlave_GetFanCurrent_Ex", &fnDLLKQ_UsbHidSlave_GetFanCurrent_Ex},
    {"DLLKQ_UsbHidSlave_SetFanOrMotor_Ex", &fnDLLKQ_UsbHidSlave_SetFanOrMotor_Ex},
    {"DLLKQ_UsbHidSlave_GetManufacturerID_Ex", &fnDLLKQ_UsbHidSlave_GetManufacturerID_Ex},
    {"DLLKQ_UsbHidSlave_GetFirmwareVersion_Ex", &fnDLLKQ_UsbHidSlave_GetFirmwareVersion_Ex},
    {"DLLKQ_GetInputReportLength", &fnDLLKQ_GetInputReportLength},
    {"DLLKQ_GetOutputReportLength", &fnDLLKQ_GetOutputReportLength},
    {"DLLKQ_GetReportType", &fnDLLKQ_GetReportType},
    {"DLLKQ_SetOutputReport", &fnDLLKQ_SetOutputReport},
    {"DLLKQ_GetInputReport", &fnDLLKQ_GetInputReport},
    {"DLLKQ_ReadChipId", &fnDLLKQ_ReadChipId},
    {"DLLKQ_ReadEfuse", &fnDLLKQ_ReadEfuse},
    {"DLLKQ_SetScanTime", &fnDLLKQ_SetScanTime},
    {"DLLKQ_ScanButton", &fnDLLKQ_ScanButton},
    {"DLLKQ_SetGpioMode", &fnDLLKQ_SetGpioMode},
    {"DLLKQ_SetGpioModeEx", &fnDLLKQ_SetGpioModeEx},
    {"DLLKQ_SetGpio", &fnDLLKQ_SetGpio},
    {"DLLKQ_GetGpio", &fnDLLKQ_GetGpio},
    {"DLLKQ_Write_Register", &fnDLLKQ_Write_Register},
    {"DLLKQ_Read_Register", &fnDLLKQ_Read_Register},
    {"DLLKQ_Write_I2C", &fnDLLKQ_Write_I2C},
    {"DLLKQ_Read_I2C", &fnDLLKQ_Read_I2C},
    {"DLLKQ_WriteI2C_ByMode", &fnDLLKQ_WriteI2C_ByMode},
    {"DLLKQ_ReadI2C_ByMode", &fnDLLKQ_ReadI2C_ByMode},
    {"DLLKQ_Write_EEPROM", &fnDLLKQ_Write_EEPROM},
    {"DLLKQ_Read_EEPROM", &fnDLLKQ_Read_EEPROM},
    {"DLLKQ_Config3D", &fnDLLKQ_Config3D},
    {"DLLKQ_Reset3D", &fnDLLKQ_Reset3D},
    {"DLLKQ_Is3D_Enable", &fnDLLKQ_Is3D_Enable},
    {"DLLKQ_Set3D_OnOff", &fnDLLKQ_Set3D_OnOff},
    {"DLLKQ_Set3D", &fnDLLKQ_Set3D},
    {"DLLKQ_Get3D", &fnDLLKQ_Get3D},
    {"DLLKQ_ConfigEQ", &fnDLLKQ_ConfigEQ},
    {"DLLKQ_IsEQ_Enable", &fnDLLKQ_IsEQ_Enable},
    {"DLLKQ_SetEQ_OnOff", &fnDLLKQ_SetEQ_OnOff},
    {"DLLKQ_SetEQ", &fnDLLKQ_SetEQ},
    {"DLLKQ_GetEQ", &fnDLLKQ_GetEQ},
    {"DLLKQ_SetEQ_DB", &fnDLLKQ_SetEQ_DB},
    {"DLLKQ_GetEQ_DB", &fnDLLKQ_GetEQ_DB},
    {"DLLKQ_GetEQ_GainValueByDB", &fnDLLKQ_GetEQ_GainValueByDB},
    {"DLLKQ_GetEQ_GainValueByGainIndex", &fnDLLKQ_GetEQ_GainValueByGainIndex},
    {"DLLKQ_SetRGB_Color", &fnDLLKQ_SetRGB_Color},
    {"DLLKQ_SetRGB_Mode", &fnDLLKQ_SetRGB_Mode},
    {"DLLKQ_SetRGB_Brightness", &fnDLLKQ_SetRGB_Brightness},
    {"DLLKQ_SetRGB_Step", &fnDLLKQ_SetRGB_Step},
    {"DLLKQ_SetRGB_SingleColor", &fnDLLKQ_SetRGB_SingleColor},
    {"DLLKQ_StoreOrClearRGB_Color", &fnDLLKQ_StoreOrClearRGB_Color},
    {"DLLKQ_GetDataFromMCU", &fnDLLKQ_GetDataFromMCU},
    {"DLLKQ_SetDataToMCU", &fnDLLKQ_SetDataToMCU},
    {"DLLKQ_SetFanOrMotor", &fnDLLKQ_SetFanOrMotor},
    {"DLLKQ_GetManufacturerID", &fnDLLKQ_GetManufacturerID},
    {"DLLKQ_GetFirmwareVersion", &fnDLLKQ_GetFirmwareVersion},
    {"DLLKQ_GetRGB_Color", &fnDLLKQ_GetRGB_Color},
    {"DLLKQ_GetRGB_Mode", &fnDLLKQ_GetRGB_Mode},
    {"DLLKQ_GetRGB_Brightness", &fnDLLKQ_GetRGB_Brightness},
    {"DLLKQ_GetRGB_Step", &fnDLLKQ_GetRGB_Step},
    {"DLLKQ_GetRGB_SingleColor", &fnDLLKQ_GetRGB_SingleColor},
    {"DLLKQ_ReadChipId_ById", &fnDLLKQ_ReadChipId_ById},
    {"DLLKQ_ReadEfuse_ById", &fnDLLKQ_ReadEfuse_ById},
    {"DLLKQ_ScanButton_ById", &fnDLLKQ_ScanButton_ById},
    {"DLLKQ_SetGpioMode_ById", &fnDLLKQ_SetGpioMode_ById},
    {"DLLKQ_SetGpioModeEx_ById", &fnDLLKQ_SetGpioModeEx_ById},
    {"DLLKQ_GetGpioMode_ById", &fnDLLKQ_GetGpioMode_ById},
    {"DLLKQ_GetGpioModeEx_ById", &fnDLLKQ_GetGpioModeEx_ById},
    {"DLLKQ_SetGpio_ById", &fnDLLKQ_SetGpio_ById},
    {"DLLKQ_SetGpioEx_ById", &fnDLLKQ_SetGpioEx_ById},
    {"DLLKQ_GetGpio_ById", &fnDLLKQ_GetGpio_ById},
    {"DLLKQ_GetGpioEx_ById", &fnDLLKQ_GetGpioEx_ById},
    {"DLLKQ_Write_Register_ById", &fnDLLKQ_Write_Register_ById},
    {"DLLKQ_Read_Register_ById", &fnDLLKQ_Read_Register_ById},
    {"DLLKQ_WaitI2CReady_ById", &fnDLLKQ_WaitI2CReady_ById},
    {"DLLKQ_Write_I2C_ById", &fnDLLKQ_Write_I2C_ById},
    {"DLLKQ_Read_I2C_ById", &fnDLLKQ_Read_I2C_ById},
    {"DLLKQ_WriteI2C_ByMode_ById", &fnDLLKQ_WriteI2C_ByMode_ById},
    {"DLLKQ_ReadI2C_ByMode_ById", &fnDLLKQ_ReadI2C_ByMode_ById},
    {"DLLKQ_Write_EEPROM_ById", &fnDLLKQ_Write_EEPROM_ById},
    {"DLLKQ_Read_EEPROM_ById", &fnDLLKQ_Read_EEPROM_ById},
    {"DLLKQ_Config3D_ById", &fnDLLKQ_Config3D_ById},
    {"DLLKQ_Reset3D_ById", &fnDLLKQ_Reset3D_ById},
    {"DLLKQ_Is3D_Enable_ById", &fnDLLKQ_Is3D_Enable_ById},
    {"DLLKQ_Set3D_OnOff_ById", &fnDLLKQ_Set3D_OnOff_ById},
    {"DLLKQ_Set3D_ById", &fnDLLKQ_Set3D_ById},
    {"DLLKQ_Get3D_ById", &fnDLLKQ_Get3D_ById},
    {"DLLKQ_ConfigEQ_ById", &fnDLLKQ_ConfigEQ_ById},
    {"DLLKQ_IsEQ_Enable_ById", &fnDLLKQ_IsEQ_Enable_ById},
    {"DLLKQ_SetEQ_OnOff_ById", &fnDLLKQ_SetEQ_OnOff_ById},
    {"DLLKQ_SetEQ_ById", &fnDLLKQ_SetEQ_ById},
    {"DLLKQ_GetEQ_ById", &fnDLLKQ_GetEQ_ById},
    {"DLLKQ_SetEQ_DB_ById", &fnDLLKQ_SetEQ_DB_ById},
    {"DLLKQ_GetEQ_DB_ById", &fnDLLKQ_GetEQ_DB_ById},
    {"DLLKQ_GetEQ_CurrentBank_ById", &fnDLLKQ_GetEQ_CurrentBank_ById},
    {"DLLKQ_SetRGB_Color_ById", &fnDLLKQ_SetRGB_Color_ById},
    {"DLLKQ_SetRGB_Mode_ById", &fnDLLKQ_SetRGB_Mode_ById},
    {"DLLKQ_SetRGB_Brightness_ById", &fnDLLKQ_SetRGB_Brightness_ById},
    {"DLLKQ_SetRGB_Step_ById", &fnDLLKQ_SetRGB_Step_ById},
    {"DLLKQ_SetRGB_SingleColor_ById", &fnDLLKQ_SetRGB_SingleColor_ById},
    {"DLLKQ_StoreOrClearRGB_Color_ById", &fnDLLKQ_StoreOrClearRGB_Color_ById},
    {"DLLKQ_GetDataFromMCU_ById", &fnDLLKQ_GetDataFromMCU_ById},
    {"DLLKQ_SetDataToMCU_ById", &fnDLLKQ_SetDataToMCU_ById},
    {"DLLKQ_SetFanOrMotor_ById", &fnDLLKQ_SetFanOrMotor_ById},
    {"DLLKQ_GetManufacturerID_ById", &fnDLLKQ_GetManufacturerID_ById},
    {"DLLKQ_GetFirmwareVersion_ById", &fnDLLKQ_GetFirmwareVersion_ById},
    {"DLLKQ_GetRGB_Color_ById", &fnDLLKQ_GetRGB_Color_ById},
    {"DLLKQ_GetRGB_Mode_ById", &fnDLLKQ_GetRGB_Mode_ById},
    {"DLLKQ_GetRGB_Brightness_ById", &fnDLLKQ_GetRGB_Brightness_ById},
    {"DLLKQ_GetRGB_Step_ById", &fnDLLKQ_GetRGB_Step_ById},
    {"DLLKQ_GetRGB_SingleColor_ById", &fnDLLKQ_GetRGB_SingleColor_ById},
    {"DLLKQ_PWM_SetConfig_ById", &fnDLLKQ_PWM_SetConfig_ById},
    {"DLLKQ_PWM_GetConfig_ById", &fnDLLKQ_PWM_GetConfig_ById},
    {"DLLKQ_PWM_SetSpeedUnit_ById", &fnDLLKQ_PWM_SetSpeedUnit_ById},
    {"DLLKQ_PWM_GetSpeedUnit_ById", &fnDLLKQ_PWM_GetSpeedUnit_ById},
    {"DLLKQ_PWM_SetLED_ButtonMode_ById", &fnDLLKQ_PWM_SetLED_ButtonMode_ById},
    {"DLLKQ_PWM_GetLED_ButtonMode_ById", &fnDLLKQ_PWM_GetLED_ButtonMode_ById},
    {"DLLKQ_PWM_SetBREATHING_ButtonMode_ById", &fnDLLKQ_PWM_SetBREATHING_ButtonMode_ById},
    {"DLLKQ_PWM_GetBREATHING_ButtonMode_ById", &fnDLLKQ_PWM_GetBREATHING_ButtonMode_ById},
    {"DLLKQ_PWM_SetBREATHING_Duty_ById", &fnDLLKQ_PWM_SetBREATHING_Duty_ById},
    {"DLLKQ_PWM_GetBREATHING_Duty_ById", &fnDLLKQ_PWM_GetBREATHING_Duty_ById},
    {"DLLKQ_PWM_SetBREATHING_Cycle_ById", &fnDLLKQ_PWM_SetBREATHING_Cycle_ById},
    {"DLLKQ_PWM_GetBREATHING_Cycle_ById", &fnDLLKQ_PWM_GetBREATHING_Cycle_ById},
    {"DLLKQ_PWM_SetBREATHING_Speed_ById", &fnDLLKQ_PWM_SetBREATHING_Speed_ById},
    {"DLLKQ_PWM_GetBREATHING_Speed_ById", &fnDLLKQ_PWM_GetBREATHING_Speed_ById},
    {"DLLKQ_PWM_SetBREATHING_PinOutActiveMode_ById", &fnDLLKQ_PWM_SetBREATHING_PinOutActiveMode_ById},
    {"DLLKQ_PWM_GetBREATHING_PinOutActiveMode_ById", &fnDLLKQ_PWM_GetBREATHING_PinOutActiveMode_ById},
    {"DLLKQ_PWM_SetBREATHING_DataMode_ById", &fnDLLKQ_PWM_SetBREATHING_DataMode_ById},
    {"DLLKQ_PWM_GetBREATHING_DataMode_ById", &fnDLLKQ_PWM_GetBREATHING_DataMode_ById},
    {"DLLKQ_PWM_SetBREATHING_OnActionMode_ById", &fnDLLKQ_PWM_SetBREATHING_OnActionMode_ById},
    {"DLLKQ_PWM_GetBREATHING_OnActionMode_ById", &fnDLLKQ_PWM_GetBREATHING_OnActionMode_ById},
    {"DLLKQ_PWM_SetBREATHING_OffActionMode_ById", &fnDLLKQ_PWM_SetBREATHING_OffActionMode_ById},
    {"DLLKQ_PWM_GetBREATHING_OffActionMode_ById", &fnDLLKQ_PWM_GetBREATHING_OffActionMode_ById},
    {"DLLKQ_PWM_SetBREATHING_ActionMode_ById", &fnDLLKQ_PWM_SetBREATHING_ActionMode_ById},
    {"DLLKQ_PWM_GetBREATHING_ActionMode_ById", &fnDLLKQ_PWM_GetBREATHING_ActionMode_ById},
    {"DLLKQ_PWM_SetRGB_ButtonMode_ById", &fnDLLKQ_PWM_SetRGB_ButtonMode_ById},
    {"DLLKQ_PWM_GetRGB_ButtonMode_ById", &fnDLLKQ_PWM_GetRGB_ButtonMode_ById},
    {"DLLKQ_PWM_SetRGB_Period_ById", &fnDLLKQ_PWM_SetRGB_Period_ById},
    {"DLLKQ_PWM_GetRGB_Period_ById", &fnDLLKQ_PWM_GetRGB_Period_ById},
    {"DLLKQ_PWM_SetRGB_Brightness_ById", &fnDLLKQ_PWM_SetRGB_Brightness_ById},
    {"DLLKQ_PWM_GetRGB_Brightness_ById", &fnDLLKQ_PWM_GetRGB_Brightness_ById},
    {"DLLKQ_PWM_SetRGB_Cycle_ById", &fnDLLKQ_PWM_SetRGB_Cycle_ById},
    {"DLLKQ_PWM_GetRGB_Cycle_ById", &fnDLLKQ_PWM_GetRGB_Cycle_ById},
    {"DLLKQ_PWM_SetRGB_Speed_ById", &fnDLLKQ_PWM_SetRGB_Speed_ById},
    {"DLLKQ_PWM_GetRGB_Speed_ById", &fnDLLKQ_PWM_GetRGB_Speed_ById},
    {"DLLKQ_PWM_SetRGB_PinOutActiveMode_ById", &fnDLLKQ_PWM_SetRGB_PinOutActiveMode_ById},
    {"DLLKQ_PWM_GetRGB_PinOutActiveMode_ById", &fnDLLKQ_PWM_GetRGB_PinOutActiveMode_ById},
    {"DLLKQ_PWM_SetRGB_DataMode_ById", &fnDLLKQ_PWM_SetRGB_DataMode_ById},
    {"DLLKQ_PWM_GetRGB_DataMode_ById", &fnDLLKQ_PWM_GetRGB_DataMode_ById},
    {"DLLKQ_PWM_SetRGB_OnActionMode_ById", &fnDLLKQ_PWM_SetRGB_OnActionMode_ById},
    {"DLLKQ_PWM_GetRGB_OnActionMode_ById", &fnDLLKQ_PWM_GetRGB_OnActionMode_ById},
    {"DLLKQ_PWM_SetRGB_OffActionMode_ById", &fnDLLKQ_PWM_SetRGB_OffActionMode_ById},
    {"DLLKQ_PWM_GetRGB_OffActionMode_ById", &fnDLLKQ_PWM_GetRGB_OffActionMode_ById},
    {"DLLKQ_PWM_SetRGB_ActionMode_ById", &fnDLLKQ_PWM_SetRGB_ActionMode_ById},
    {"DLLKQ_PWM_GetRGB_ActionMode_ById", &fnDLLKQ_PWM_GetRGB_ActionMode_ById},
    {"DLLKQ_PWM_SetRGB_OnColorMode_ById", &fnDLLKQ_PWM_SetRGB_OnColorMode_ById},
    {"DLLKQ_PWM_GetRGB_OnColorMode_ById", &fnDLLKQ_PWM_GetRGB_OnColorMode_ById},
    {"DLLKQ_PWM_SetRGB_OffColorMode_ById", &fnDLLKQ_PWM_SetRGB_OffColorMode_ById},
    {"DLLKQ_PWM_GetRGB_OffColorMode_ById", &fnDLLKQ_PWM_GetRGB_OffColorMode_ById},
    {"DLLKQ_PWM_SetRGB_ColorMode_ById", &fnDLLKQ_PWM_SetRGB_ColorMode_ById},
    {"DLLKQ_PWM_GetRGB_ColorMode_ById", &fnDLLKQ_PWM_GetRGB_ColorMode_ById},
    {"DLLKQ_PWM_SetRGB_OnColorSelect_ById", &fnDLLKQ_PWM_SetRGB_OnColorSelect_ById},
    {"DLLKQ_PWM_GetRGB_OnColorSelect_ById", &fnDLLKQ_PWM_GetRGB_OnColorSelect_ById},
    {"DLLKQ_PWM_SetRGB_OffColorSelect_ById", &fnDLLKQ_PWM_SetRGB_OffColorSelect_ById},
    {"DLLKQ_PWM_GetRGB_OffColorSelect_ById", &fnDLLKQ_PWM_GetRGB_OffColorSelect_ById},
    {"DLLKQ_PWM_SetRGB_ColorSelect_ById", &fnDLLKQ_PWM_SetRGB_ColorSelect_ById},
    {"DLLKQ_PWM_GetRGB_ColorSelect_ById", &fnDLLKQ_PWM_GetRGB_ColorSelect_ById},
    {"DLLKQ_PWM_SetRGB_Color_ById", &fnDLLKQ_PWM_SetRGB_Color_ById},
    {"DLLKQ_PWM_GetRGB_Color_ById", &fnDLLKQ_PWM_GetRGB_Color_ById},
};

namespace {

// Entries 1 and 2 are bound silently; a later missing entry is named.
constexpr int kFirstReportedEntry = 3;

class LocalText {  // owner of a FormatMessage buffer
public:
    ~LocalText() { if (p) ::LocalFree(p); }
    wchar_t* p = nullptr;
};

}  // namespace

int Open_DLLKQ_UsbAudio73xx(const wchar_t* fileName) {
    HMODULE module = ::LoadLibraryW(fileName);
    if (!module) {
        ShowLastErrorBox();
        return 1;
    }
    hDeviceLibrary = module;
    for (int n = 1; n <= kDeviceLibraryExportCount; ++n) {
        const DEVICE_LIBRARY_EXPORT& row = DEVICE_LIBRARY_BINDING[n - 1];
        FARPROC proc = ::GetProcAddress(module, row.name);
        std::memcpy(row.slot, &proc, sizeof(proc));
        if (!proc) {
            if (n >= kFirstReportedEntry) trace::Out(L"***** %hs *****\n", row.name);
            return n + 1;
        }
    }
    return 0;
}

void ShowLastErrorBox() {
    DWORD error = ::GetLastError();
    LocalText system;
    ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                     nullptr, error, LANG_USER_DEFAULT, reinterpret_cast<wchar_t*>(&system.p), 0, nullptr);
    std::wstring text = trace::Format(L"error %d: %ls", static_cast<int>(error), system.p ? system.p : L"");
    ::MessageBoxW(nullptr, text.c_str(), L"Error", MB_OK);
}
