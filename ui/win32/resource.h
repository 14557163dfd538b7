// resource.h - identifiers of the Win32 program's controls and resources.
#pragma once

// Resources.
#define IDI_TOLVEX 1

// Main window controls, one per visible or hidden control of the window.
#define IDC_LBLJUSHU 1001
#define IDC_MEMCODE 1002
#define IDC_LABEL1 1003
#define IDC_EDTCODE2 1004
#define IDC_LABEL5 1005
#define IDC_EDTCODE1 1006
#define IDC_LABEL2 1007
#define IDC_EDTDJ 1008
#define IDC_BTNFILT 1009
#define IDC_BTNSAVE 1010
#define IDC_BTNCOPY 1011
#define IDC_BTNCLOSE 1012
#define IDC_EDTCOPY 1013

// The message box's controls.
#define IDC_MSGTEXT 1101

// The choice dialog's controls (its buttons are IDOK and IDCANCEL).
#define IDC_CHOICETEXT 1201
#define IDC_CHOICELIST 1202
