// Resource ids of the message dialog with a Help button (KELHLP32).
#pragma once

// Button texts the dialog takes from the application's strings.
#define IDS_EMH_YES 1090      // "&Yes"
#define IDS_EMH_NO 1091       // "&No"
#define IDS_EMH_PASSWORD 1217 // "&Password:"
#define IDS_EMH_SKIP 1227     // "&Skip"
#define IDS_EMH_DELETE 1243   // "&Delete"
#define IDS_EMH_CONTINUE 1273 // "&Continue"

// Controls of the dialog "ErrMsgHelp". Buttons 1 and 2 are IDOK and IDCANCEL; the third
// button (Retry, No, Skip, Delete) has id 3.
#define IDC_EMH_THIRD 3
#define IDC_EMH_ICON 101
#define IDC_EMH_TEXT 103
#define IDC_EMH_HELP 104
#define IDC_EMH_LABEL 108
#define IDC_EMH_VOLUME 109
#define IDC_EMH_PASSWORD 518
