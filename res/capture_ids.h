// Resource ids of the capture windows: the download confirmation, the Options
// and File types dialogs and the drop window. Dialogs 260-269, controls
// 1260-1299, clear of the project dialogs' ranges.
#pragma once

#define IDD_DROP_WINDOW 153
#define IDB_DROP_PICTURE 154

#define IDD_CONFIRM_DOWNLOAD 260
#define IDD_CAPTURE_OPTIONS 261
#define IDD_FILE_TYPES 262

// Download confirmation ("...", the folder label and the URL field reuse the
// project dialogs' ids where those exist).
#define IDC_CONFIRM_URL 1260
#define IDC_CONFIRM_FOLDER_BUTTON 1261
#define IDC_CONFIRM_FOLDER_LABEL 1262
#define IDC_CONFIRM_DONT_ASK 1263

// Options.
#define IDC_OPT_CAPTURE 1270
#define IDC_OPT_IMMEDIATE 1271
#define IDC_OPT_CAPTURE_IE 1272
#define IDC_OPT_CAPTURE_NETSCAPE 1273
#define IDC_OPT_FILE_TYPES 1274
#define IDC_OPT_KEEP_ALIVE 1275
#define IDC_OPT_CONNECTION 1276
#define IDC_OPT_SCHEDULER 1277
#define IDC_OPT_TRANSFER 1278
#define IDC_OPT_SEARCH 1279

// File types.
#define IDC_TYPES_LIST 1285
#define IDC_TYPES_EDIT 1286
#define IDC_TYPES_ADD 1287
#define IDC_TYPES_DELETE 1288
#define IDC_TYPES_DEFAULT 1289
