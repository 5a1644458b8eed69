// Resource ids of the project dialogs and shared widgets. Dialogs live in
// 200-299 and their controls in 1000-1999 so they never collide with the main
// window's menus, toolbar and About box.
#pragma once

#define IDB_FOLDER_BUTTON 179

#define IDD_ENTER_URL 200
#define IDD_DOWNLOAD_SETTINGS 201
#define IDD_URL_LIST_GRAB 202
#define IDD_FTP_UPLOAD 203
#define IDD_TRANSFER_OPTIONS 204

// Shared by several dialogs.
#define IDC_URL_COMBO 1001
#define IDC_FOLDER_BUTTON 1002
#define IDC_FOLDER_LABEL 1003
#define IDC_DISABLED 1004
#define IDC_SEGMENTS 1005
#define IDC_SEGMENTS_SPIN 1006
#define IDC_AUTO_MIRROR 1007
#define IDC_PING_FASTEST 1008

// Download Settings.
#define IDC_SEQUENTIAL 1010
#define IDC_SEQ_SUFFIX 1011
#define IDC_SEQ_DIGITS 1012
#define IDC_SEQ_FROM 1013
#define IDC_SEQ_TO 1014
#define IDC_SOURCES_LABEL 1020
#define IDC_SOURCES_LIST 1021
#define IDC_SOURCE_EDIT 1022
#define IDC_ADD_SOURCE 1023
#define IDC_REMOVE_SOURCE 1024
#define IDC_LOAD_LIST 1025

// URL List Grab.
#define IDC_LIST_SOURCE 1030
#define IDC_SELECT_FILE 1031

// FTP Upload.
#define IDC_USER_NAME 1040
#define IDC_PASSWORD 1041
#define IDC_FILE_LIST 1042
#define IDC_ADD_FILES 1043
#define IDC_DELETE_FILES 1044
#define IDC_RESUME 1045
#define IDC_OVERWRITE 1046

// Download/Upload Options.
#define IDC_LIMIT 1050
#define IDC_MAX_FILES 1051
#define IDC_RETRY_WAIT 1052
#define IDC_USE_EXT 1053
#define IDC_EXT_PROG 1054
#define IDC_FIND_PROG 1055
#define IDC_EXT_PARAMS 1056
#define IDC_USE_WAV 1057
#define IDC_WAV_FILE 1058
#define IDC_BROWSE_WAV 1059
#define IDC_DONT_ASK 1060
