// Resource ids shared by the resource script and the code.
#pragma once

// Icons and bitmaps
#define IDI_PLUGIN            131   // 32x32, 16 colours
#define IDI_TRANSLATOR        133   // 16x16, 16 colours
#define IDB_BUTTON            200
#define IDR_MODULE_TABLE      18031 // RT_RCDATA

// Dialog templates
#define IDD_MODLIST           1600
#define IDD_ABOUT             2200
#define IDD_PGP               2300
#define IDD_SETTINGS          2400

// String table
#define IDS_PREVIOUS_DLL        2
#define IDS_NO_EUDORA           3
#define IDS_EUDORA16            5
#define IDS_PGP_NOT_FOUND       6
#define IDS_OVERWRITE_FILES     7
#define IDS_INIT_FAILED         8
#define IDS_EXPLAIN_DECODE      10
#define IDS_EXPLAIN_CHECK       11
#define IDS_EXPLAIN_CLEARSIGN   12
#define IDS_EXPLAIN_ADDKEY      13
#define IDS_EXPLAIN_NOTHING     14
#define IDS_EXPLAIN_ENCRYPT     15
#define IDS_ATTACHED_FILE       16
#define IDS_FN_FUNCTIONS        20
#define IDS_FN_ENCRYPT          21
#define IDS_FN_DECODE           22
#define IDS_FN_CHECK            23
#define IDS_FN_CLEARSIGN        24
#define IDS_FN_ADDKEY           26
#define IDS_FN_ENCRYPT_SIGN     27
#define IDS_ABOUT_LINE1         30
#define IDS_ABOUT_LINE2         31
#define IDS_ERR_UNKNOWN         40
#define IDS_ERR_FILE_NOT_FOUND  41
#define IDS_ERR_PATH_NOT_FOUND  42
#define IDS_ERR_NO_MEMORY       43
#define IDS_ERR_CREATE_WRITE    44
#define IDS_ERR_RENAME          45
#define IDS_ERR_TIMEOUT         46
#define IDS_NO_TEMP_DIR         47
#define IDS_ERR_SHARING         48
#define IDS_ERR_BAD_PATH        49
#define IDS_PGP_ERRORCODE       50
#define IDS_QUESTION_52         52
#define IDS_CLIPBOARD_COPY_FAIL 53
#define IDS_CLIPBOARD_OPEN_FAIL 54
#define IDS_COPY_TO_CLIPBOARD   55
#define IDS_NO_QUOTE_MARKS      56
#define IDS_NOTHING_TO_DO       57
#define IDS_NO_TEXT             58
#define IDS_NO_SOURCE_WINDOW    59
#define IDS_CANNOT_CHANGE_TEXT  60
#define IDS_PGP_STILL_RUNNING   61
#define IDS_BUTTON_FAILED       62
#define IDS_ATTACHMENT_MARKER   63
#define IDS_MENU_ABOUT          65
#define IDS_MENU_RUN_PGP        66
#define IDS_PRESS_ANY_KEY       74
#define IDS_ERR_NO_DATA         75
#define IDS_FILTER_PROGRAMS     77
#define IDS_FILTER_ALL          78
#define IDS_SELECT_PGP          80
#define IDS_ATTACHMENT_ERROR    83
#define IDS_ATTACHMENT_IGNORED  84
#define IDS_PGP_NOT_FOUND_CLOSE 85
#define IDS_RETRIEVE_FAILED     86
#define IDS_SAVE_MODDEF         88
#define IDS_TRANSLATED_BY       92
#define IDS_LANGMOD_VERSION     132
