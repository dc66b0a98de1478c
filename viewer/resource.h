// Resource identifiers of Moravel. Source and date-filter kinds are string identifiers too:
// the combo boxes carry them as item data and the settings store them.
#pragma once

#define IDS_ALL_SITES 132
#define IDS_STANDALONE_SWF 133
#define IDS_SOURCE_FIREFOX 134
#define IDS_SOURCE_IE 135
#define IDS_SOURCE_FOLDER 136
#define IDS_LABEL_URL 137
#define IDS_LABEL_MODIFIED 138
#define IDS_LABEL_SIZE 139
#define IDS_LABEL_CREATED 140
#define IDS_DATE_TODAY 142
#define IDS_DATE_YESTERDAY 143
#define IDS_BYTES_UNIT 144
#define IDS_DATE_THIS_MONTH 145
#define IDS_DATE_EXACT 146
#define IDS_DATE_RANGE 147
#define IDS_DATE_ANY 148
#define IDS_BROWSE_VIEW_FOLDER 150
#define IDS_LABEL_FILE 153
// Help texts of the main window's controls (tooltip mark-up)
#define IDS_TIP_SOURCE 155
#define IDS_TIP_VIEW_FOLDER 156
#define IDS_TIP_CHOOSE_VIEW_FOLDER 157
#define IDS_TIP_SITE_FILTER 158
#define IDS_TIP_DATE_FILTER 159
#define IDS_TIP_CHOOSE_DATE 160
#define IDS_TIP_REFRESH 161
#define IDS_TIP_DELETE 162
#define IDS_TIP_VIEW 163
#define IDS_TIP_SAVE 164
#define IDS_TIP_SAVE_AS 165
#define IDS_TIP_SAVE_ALL 166
#define IDS_TIP_CHOOSE_TARGET 167
#define IDS_TIP_OPEN_TARGET 168
// Message and dialog texts
#define IDS_CONFIRM_DELETE 200
#define IDS_SAVE_FAILED 201
#define IDS_CHOOSE_TARGET_TITLE 202
#define IDS_SAVE_FILTER 203
#define IDS_NO_FLASH_CONTROL 204

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icons
#define IDI_MORAVEL 131
#define IDI_MOVIE 151
#define IDI_FOLDER 152

// Dialogs
#define IDD_MORAVEL 102
#define IDD_SPLASH 134
#define IDD_EXACT_DATE 154
#define IDD_TIME_RANGE 155

// Controls of the main window
#define IDC_MOVIE_LIST 1000
#define IDC_SAVE_AS 1001
#define IDC_SAVE_ALL 1002
#define IDC_VIEW 1003
#define IDC_DELETE 1004
#define IDC_DETAIL_1 1005
#define IDC_SAVE 1006
#define IDC_DETAIL_3 1008
#define IDC_DETAIL_2 1009
#define IDC_DETAIL_4 1010
#define IDC_FLASH 1011
#define IDC_FLASH_FRAME 1012
#define IDC_REFRESH 1013
#define IDC_CHOOSE_TARGET 1014
#define IDC_OPEN_TARGET 1015
#define IDC_SITE_FILTER 1016
#define IDC_SOURCE 1017
#define IDC_VIEW_FOLDER 1018
#define IDC_CHOOSE_VIEW_FOLDER 1019
#define IDC_DATE_FILTER 1020
#define IDC_CHOOSE_DATE 1021
#define IDC_LABEL_1 1022
#define IDC_LABEL_3 1023
#define IDC_LABEL_2 1024
#define IDC_LABEL_4 1025

// Controls of the date dialogs
#define IDC_EXACT_CALENDAR 1025
#define IDC_RANGE_END 1026
#define IDC_RANGE_START 1027
