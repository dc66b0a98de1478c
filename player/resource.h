// Resource identifiers of Tessaly. Command identifiers are string identifiers too: each
// command's string is its status-bar prompt and its tooltip ("prompt\ntooltip").
#pragma once

// The document template's menu, accelerators, icon and string (its seven fields).
#define IDR_MAINFRAME 128
#define IDS_FRAME_COUNTER_START 129
#define IDS_NOT_FLASH 143

// Texts of our own.
#define IDS_CANNOT_PLAY 150
#define IDS_CONTROL_FAILED 151
#define IDS_OLE_FAILED 152
#define IDS_COPY_FAILED 153
#define IDS_FRAME_COUNTER 154

// The status bar's frame counter pane.
#define ID_INDICATOR_FRAMES 129

// The progress bar (dialog template 128) and its slider.
#define IDD_PROGRESS_BAR 128
#define IDC_PROGRESS_SLIDER 103

// The about box and its two link buttons (kept in the template, never shown).
#define IDD_ABOUTBOX 100
#define IDC_MAIL_LINK 1077
#define IDC_WEB_LINK 1078

// Commands (see player/playback_rules.h for their meaning).
#define ID_BACKGROUND 130
#define ID_TO_START 131
#define ID_BACK 132
#define ID_PLAY 133
#define ID_PAUSE 134
#define ID_FORWARD 135
#define ID_TO_END 136
#define ID_FULL_SCREEN 137
#define ID_VIEW_CACHE 138
#define ID_SHOW_ALL 139
#define ID_EXACT_FIT 140
#define ID_NO_BORDER 141
#define ID_NO_SCALE 142
#define ID_CLICK_PAUSE 32798
#define ID_DARK_ICON 32800
#define ID_LIGHT_ICON 32801
#define ID_ASSOCIATE 32802
#define ID_AUTO_REPLAY 32806

// The framework's standard commands.
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE_AS 57604
#define ID_FILE_MRU_FILE1 57616
#define ID_FILE_MRU_FILE2 57617
#define ID_FILE_MRU_FILE3 57618
#define ID_FILE_MRU_FILE4 57619
#define ID_FILE_MRU_FILE5 57620
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define IDS_APP_TITLE 57344
