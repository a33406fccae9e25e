#include "setup/InstallMgr.h"

#include "shared/DebugTrace.h"

namespace INSTALL_MGR {

void CInstallMgr::RemoveFilter(const GUID&, DWORD, DEVICEID_MGR::CDeviceIdMgr&, const wchar_t* filterName, DWORD) {
    trace::Out(L"***** CInstallMgr::RemoveFilter: removing %ls from devices is not part of this build; "
               L"no device was changed *****\n",
               filterName);
}

}  // namespace INSTALL_MGR
