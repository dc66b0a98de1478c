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
