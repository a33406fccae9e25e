#include "uninstall/UninstallTexts.h"

const wchar_t* const kUninstallLabelKeys[kUninstallLabelCount] = {
    L"LabelUninstallBtn", L"LabelCancelBtn", L"Label1", L"Label2", L"LabelTitle", L"LabelWarning1",
};
