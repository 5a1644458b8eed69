// Resource ids of the project dialogs and shared widgets. Dialogs live in
// 200-299 and their controls in 1100-1199 so they never collide with the main
// window's menus, toolbar and About box.
#pragma once

#define IDB_FOLDER_BUTTON 179

#define IDD_ENTER_URL 200
#define IDD_DOWNLOAD_SETTINGS 201
#define IDD_URL_LIST_GRAB 202
#define IDD_FTP_UPLOAD 203
#define IDD_TRANSFER_OPTIONS 204

// Shared by several dialogs.
#define IDC_URL_COMBO 1101
#define IDC_FOLDER_BUTTON 1102
#define IDC_FOLDER_LABEL 1103
#define IDC_DISABLED 1104
#define IDC_SEGMENTS 1105
#define IDC_SEGMENTS_SPIN 1106
#define IDC_AUTO_MIRROR 1107
#define IDC_PING_FASTEST 1108

// Download Settings.
#define IDC_SEQUENTIAL 1110
#define IDC_SEQ_SUFFIX 1111
#define IDC_SEQ_DIGITS 1112
#define IDC_SEQ_FROM 1113
#define IDC_SEQ_TO 1114
#define IDC_SOURCES_LABEL 1120
#define IDC_SOURCES_LIST 1121
#define IDC_SOURCE_EDIT 1122
#define IDC_ADD_SOURCE 1123
#define IDC_REMOVE_SOURCE 1124
#define IDC_LOAD_LIST 1125

// URL List Grab.
#define IDC_LIST_SOURCE 1130
#define IDC_SELECT_FILE 1131

// FTP Upload.
#define IDC_USER_NAME 1140
#define IDC_PASSWORD 1141
#define IDC_FILE_LIST 1142
#define IDC_ADD_FILES 1143
#define IDC_DELETE_FILES 1144
#define IDC_RESUME 1145
#define IDC_OVERWRITE 1146

// Download/Upload Options.
#define IDC_LIMIT 1150
#define IDC_MAX_FILES 1151
#define IDC_RETRY_WAIT 1152
#define IDC_USE_EXT 1153
#define IDC_EXT_PROG 1154
#define IDC_FIND_PROG 1155
#define IDC_EXT_PARAMS 1156
#define IDC_USE_WAV 1157
#define IDC_WAV_FILE 1158
#define IDC_BROWSE_WAV 1159
#define IDC_DONT_ASK 1160
