// accessibility.cpp - descriptions set through the system's annotation service (oleacc).
#include "accessibility.h"

#include <objbase.h>
#include <oleacc.h>

namespace tolvex::win32 {

bool DescribeControl(HWND control, const std::wstring& description) {
    // The annotation service is a COM object; the thread may not have COM yet.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool kept = false;
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        MSAAPROPID property = PROPID_ACC_DESCRIPTION;
        kept = description.empty()
                   ? SUCCEEDED(services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF,
                                                        &property, 1))
                   : SUCCEEDED(services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF,
                                                        property, description.c_str()));
        services->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, control, OBJID_CLIENT, CHILDID_SELF);
    return kept;
}

}  // namespace tolvex::win32
