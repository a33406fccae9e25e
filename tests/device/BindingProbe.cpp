// Binds the device library found beside it and exits with the result.
#include "panel/device/DeviceLibrary.h"

int main() { return Open_DLLKQ_UsbAudio73xx(kDeviceLibraryFileName); }
