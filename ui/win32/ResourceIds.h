// Identifiers shared by the resource script and the window code.
#pragma once

// Pictures.
#define IDI_QUORVEL 1
#define IDI_HOURGLASS 101
#define IDI_GEARWINDOW 102
#define IDI_CERTIFICATE 103
#define IDI_KEYS 104
#define IDI_EXEFILE 105
#define IDI_CROSS 111
#define IDI_PLUS 112
#define IDI_PROHIBITED 113
#define IDI_BLANK 121
#define IDI_SIGNED 122
#define IDI_FAILED 123
#define IDB_BANNER 131

// Menu bar, its commands and their shortcuts.
#define IDR_MAINMENU 200
#define IDR_ACCELERATORS 201
#define IDM_QUIT 210
#define IDM_OPENLOG 211
#define IDM_CHECKFORUPDATE 212
#define IDM_ABOUT 213
#define IDM_BUGREPORT 214
#define IDM_CHANGELOG 215

// Controls of the main window.
#define IDC_SIGNTOOL_GRP 300
#define IDC_JVIMGBTN1 301
#define IDC_SIGNTOOL_TXT 302
#define IDC_BROWSESIGN_BTN 303
#define IDC_DOWNLOADSDK_LBL 304
#define IDC_TIMESTAMP_GRP 310
#define IDC_TIME_BTN 311
#define IDC_TIMESTAMP_CHK 312
#define IDC_TIMESTAMP_TXT 313
#define IDC_TIMEDIGEST_CMB 314
#define IDC_CERTIFICATE_GRP 320
#define IDC_JVIMGBTN2 321
#define IDC_CERTIFPATH_TXT 322
#define IDC_BROWSECERT_BTN 323
#define IDC_JVIMGBTN3 324
#define IDC_PASSWORD_TXT 325
#define IDC_PASSWORD_CHK 326
#define IDC_CERTDIGEST_CMB 327
#define IDC_FILES_GRP 330
#define IDC_JVIMGBTN4 331
#define IDC_LST 332
#define IDC_ADD_BTN 333
#define IDC_REMOVE_BTN 334
#define IDC_IGNORE_BTN 335
#define IDC_LOG_GRP 340
#define IDC_MEMO1 341
#define IDC_CLEARLOG_BTN 342
#define IDC_SIGN_BTN 350
#define IDC_PB 351

// Controls of the About window.
#define IDC_IMAGE1 400
#define IDC_ALL_GRP 401
#define IDC_APPLICATION_GRP 402
#define IDC_APPNAME_LBL 403
#define IDC_VERSION_LBL 404
#define IDC_TANDREL_GRP 405
#define IDC_EMAIL_BTN 406
#define IDC_WEB_BTN 407
#define IDC_FORUM_BTN 408
#define IDC_OK_BTN 409
