// Command, string and resource ids of the frame window: its menus, accelerators, status help,
// start-up texts and dialogs. Menu, accelerator and toolbar commands share one numbering.
#pragma once

// ---- Commands -------------------------------------------------------------------------------
#define IDM_ESCAPE 2
#define IDM_ABOUT 101
#define IDM_ALPHA_SEQUENCE 103
#define IDM_AUTO_DITHER 104
#define IDM_BACKGROUND_COLOR 105
#define IDM_BUILD_CATALOG 107
#define IDM_CATALOG_IMAGE 108
#define IDM_CENTER_IMAGE 109
#define IDM_CHANGE_PALETTE 110
#define IDM_COPY 113
#define IDM_CUT 114
#define IDM_STARTUP_OPTIONS 115
#define IDM_DELETE 116
#define IDM_DIB_TO_SCREEN 118
#define IDM_DISPLAY_HIDDEN 119
#define IDM_DISPLAY_WARNINGS 120
#define IDM_DITHER 121
#define IDM_EXIT 123
#define IDM_UPDATE_EMBEDDED 124
#define IDM_EXPORT_CATALOG 125
#define IDM_FIX_TIFF 126
#define IDM_GRAY_PALETTE 127
#define IDM_HELP_ON_HELP 128
#define IDM_HELP_INDEX 129
#define IDM_HELP_KEYBOARD 130
#define IDM_HELP_USING 131
#define IDM_LAUNCH 134
#define IDM_THUMBNAIL_VIEW 135
#define IDM_MOVE_COPY 140
#define IDM_NEW 141
#define IDM_CREATE_CATALOG 142
#define IDM_OPEN 144
#define IDM_DISPLAY_PRINT 145
#define IDM_STATUS_BAR 146
#define IDM_REBUILD_INDEX 147
#define IDM_PASTE 148
#define IDM_PASTE_PALETTE 151
#define IDM_PLAY 152
#define IDM_PLAY_RATE 153
#define IDM_LOOP 154
#define IDM_PRINT 155
#define IDM_PRINT_CATALOG 156
#define IDM_RESIZE 158
#define IDM_UNDO_PALETTE 159
#define IDM_SAVE 160
#define IDM_SAVE_AS 161
#define IDM_BROWSE_CATALOG 162
#define IDM_PRINT_SETUP 163
#define IDM_SLIDE_SHOW 164
#define IDM_TECH_INFO 166
#define IDM_CROP 168
#define IDM_UNDO 169
#define IDM_VERIFY_CATALOG 171
#define IDM_OPEN_PENDING 173
#define IDM_OLE_UPDATE 174
#define IDM_OLE_CLOSE 175
#define IDM_TILE 177
#define IDM_CASCADE 178
#define IDM_ARRANGE_ICONS 179
#define IDM_CLOSE_ALL 180
#define IDM_CAPTURE_WINDOW 181
#define IDM_CAPTURE_CLIENT 182
#define IDM_CAPTURE_DESKTOP 183
#define IDM_HIDE_ON_CAPTURE 184
#define IDM_DIB_PALETTE 185
#define IDM_SYSTEM_PALETTE 186
#define IDM_CLOSE 188
#define IDM_HELP_CURSOR_KEY 189
#define IDM_DITHER_REQUEST_1 303
#define IDM_DITHER_REQUEST_2 308
#define IDM_SLIDE_SHOW_OPTIONS 311
#define IDM_RECENT_DIR_FIRST 426
#define IDM_RECENT_DIR_LAST 430
#define IDM_SIZE_WINDOW 432
#define IDM_STRETCH_TO_FIT 433
#define IDM_DEFAULT_KEYWORDS 435
#define IDM_ADJUST_PALETTE 442
#define IDM_COVER_VIDEO 443
#define IDM_HISTOGRAM 444
#define IDM_BUTTON_BAR 454
#define IDM_HELP_CURSOR 455
#define IDM_JPEG_SMOOTHING 456
#define IDM_JPEG_TWO_PASS 457
#define IDM_FILTER_FIRST 466
#define IDM_FILTER_LAST 473
#define IDM_OLE_FIRST 474
#define IDM_OLE_LAST 477
#define IDM_IMPORT_CATALOG 479
#define IDM_MOVE_CATALOG 498
#define IDM_CAPTURE_THUMBVIEW 499
#define IDM_THUMB_THREE_QUARTERS 500
#define IDM_PCD_RESOLUTION_FIRST 503
#define IDM_PCD_RESOLUTION_LAST 509
#define IDM_PCD_FORMAT_FIRST 510
#define IDM_PCD_FORMAT_LAST 513
#define IDM_MPEG_DITHER_FIRST 522
#define IDM_MPEG_DITHER_LAST 536
#define IDM_DISPLAY_HALFTONES 541
#define IDM_AUTO_CLOSE 542
#define IDM_THUMB_NORMAL 543
#define IDM_THUMB_ONE_AND_HALF 544
#define IDM_THUMB_DOUBLE 545
#define IDM_TWAIN_ACQUIRE 547
#define IDM_TWAIN_SELECT_SOURCE 548
#define IDM_TWAIN_AUTO_CLOSE 549
#define IDM_PCD_ALTERNATE_LUT 550
#define IDM_PCD_DEFAULT_LUT 551
#define IDM_PCD_SELECT_LUT 552
#define IDM_JPEG_COLORS_AUTO 559
#define IDM_JPEG_COLORS_256 560
#define IDM_JPEG_COLORS_MORE 561
#define IDM_UUE_DELETE 562
#define IDM_SELECT_CATALOG 564
#define IDM_CHANGE_CATALOG 565
#define IDM_DELETE_CATALOG 566
#define IDM_BACKGROUND_PATTERN 567
#define IDM_TRANSPARENT_PIXEL 568
#define IDM_JPEG_THUMBNAILS 569
#define IDM_HIRES_THUMBNAILS 570
#define IDM_CUSTOMIZE_TOOLBAR 571
#define IDM_SHOW_EXTENSIONS 573
#define IDM_SHOW_LONG_NAMES 574
#define IDC_CATALOG_LIST 3018

// The window-list items the MDI client adds begin here, clear of every command above.
#define IDM_FIRST_CHILD 0x7F00

// ---- Strings --------------------------------------------------------------------------------
#define IDS_DEFAULT_PATTERNS 1010     // the default file patterns of catalog building
#define IDS_READY 1121                // "Ready, select a menu option."
#define IDS_LOADING_OPTIONS 1134      // "Loading Kelgrove .INI options"
#define IDS_PCD_POPUP 1189            // "P&hoto CD Options"
#define IDS_PCD_POPUP_HELP 1190
#define IDS_MPEG_POPUP 1225           // "MPEG &Dither Options"
#define IDS_MPEG_POPUP_HELP 1226
#define IDS_JPEG_POPUP_HELP 1234
#define IDS_THUMB_POPUP_HELP 1235
#define IDS_PCD_RESOLUTION_HELP 1236
#define IDS_PCD_PALETTE_HELP 1237
#define IDS_THUMB_POPUP 1238          // "&Thumbnail Options"
#define IDS_PCD_RESOLUTION_POPUP 1239 // "&Resolution"
#define IDS_PCD_PALETTE_POPUP 1240    // "P&alette"
#define IDS_JPEG_POPUP 1241           // "&JPEG Options"
#define IDS_USER_FILES 1246           // "User Files     "
#define IDS_SCAN_TITLE 1252           // "Scan%d"
#define IDS_TWAIN_POPUP 1256          // "T&WAIN Options" (also its status help)
#define IDS_JPEG_COLORS_POPUP 1281    // "Color &Resolution"
#define IDS_JPEG_COLORS_POPUP_HELP 1282
#define IDS_HELP_NOT_AVAILABLE 1601   // "Help not available for Help Menu item"
#define IDS_NOT_AVAILABLE 1602        // status text of a command this build cannot carry out yet
#define IDS_OLE_FAILED 1603           // "Can't initialize OLE server"

// Status help: the frame's menu items show their command id plus this base, the frame's menu
// bar popups 5001 + their position, the frame's system menu 5000.
#define IDS_FRAME_HELP_BASE 2000
#define IDS_FRAME_SYSMENU_HELP 5000
#define IDS_FRAME_POPUP_HELP 5001

// ---- Dialogs --------------------------------------------------------------------------------
#define IDC_DEFAULT_CATALOG_PATH 446
#define IDC_ABOUT_VERSION 1611
