// Private window messages between the libraries, the frame and its children.
#pragma once

#include <windows.h>

enum : UINT {
    WMU_PAINTSTATUS = 1124,
    WMU_RELAYOUT = 1148,
    WMU_GETSTATUSRECT = 1149, // lParam: RECT* filled with the status area (empty height: hidden)
    WMU_SETSTATUS = 1150,     // wParam: owner window, lParam: string id
    WMU_GETSTATUSID = 1151,
    WMU_GETSTATUSOFFSET = 1152,
    WMU_REALIZE = 1153,
    WMU_RESTOREFRAMEMENU = 1154,
    WMU_CATALOGCHANGED = 1155,
    WMU_QUERYCLOSE = 1156,
    WMU_FINDTHUMBVIEW = 1161,
    WMU_SETMDIMENU = 1162,
    WMU_FULLSCREEN = 1164,
    WMU_BROADCAST = 1166,
    WMU_NEWIMAGE = 1167,
    WMU_TOFIRSTCHILD = 1168,
    WMU_REFRESHVIEW = 1169,
    WMU_SETMODELESS = 1172,
    WMU_GETSTATUSWND = 1173, // returns the status bar; its child 101 is the progress control
    WMU_AUTOCLOSE = 1174,
};

constexpr int kProgressControlId = 101;
