#pragma once
// Resource ids of VantoraGPS.rc. Included by the .rc (through windres's
// preprocessor) and by the windows' C++ code, so it holds only #defines.

// Dialog templates.
#define IDD_ABOUTBOX                100  // about box: one picture and the version
#define IDD_VANTORAGPSAPP_DIALOG    102  // import window (the main window)
#define IDD_STILLLIST_DIALOG        129  // photo window
#define IDD_STILLDETAIL_DIALOG      130  // photo detail window
#define IDD_ADJUST_SHOOTING_DATE    133  // shift of all shooting times
#define IDD_ADJUST_TIME_DIFF        134  // time-zone offset from UTC

// Icon and bitmaps.
#define IDR_MAINFRAME               128  // program icon: 16, 32 and 48 px
#define IDB_ABOUT                   135  // 600 x 300 about artwork
#define IDB_PC                      143  // 16 x 16 computer screen, white is transparent
#define IDB_UNIT                    144  // 16 x 16 GPS unit, white is transparent
#define IDB_ARROW_NORMAL            145  // 76 x 32 grey arrow, black is transparent
#define IDB_ARROW_DISABLED          146  // 76 x 32 light grey arrow
#define IDB_HEADER                  147  // 884 x 28 header strip of the main windows
#define IDB_ARROW_PRESSED           148  // 76 x 32 orange arrow

// Import window (template 102).
#define IDC_PC_LIST                 1001  // list view of the logs known to the PC
#define IDC_UNIT_LIST               1002  // list view of the logs on the unit
#define IDC_DELETE_UNIT_LOGS        1003  // "削除": delete the selected unit logs
#define IDC_DELETE_ALL_UNIT_LOGS    1004  // "全て削除": delete all unit logs
#define IDC_COPY_ALL_TO_PC          1005  // hidden: copy all unit logs to the PC
#define IDC_COPY_SELECTED_TO_PC     1006  // hidden, no command
#define IDC_UNIT_TITLE              1007  // label "GPSユニット"
#define IDC_PC_TITLE                1008  // label "パソコン"
#define IDC_CLEAR_PC_ROWS           1012  // "クリア": forget the selected PC logs
#define IDC_CLEAR_PC_LIST           1013  // "全てクリア": forget all PC logs
#define IDC_TIME_ZONE               1014  // "タイムゾーンの調整"
#define IDC_ADD_LOGS                1015  // "追加": register log files
#define IDC_SHOW_IN_GOOGLE_EARTH    1016  // "Google Earthで確認"
#define IDC_GO_TO_PHOTOS            1017  // "位置情報を画像データに追加する"
#define IDC_NEXT                    1024  // hidden, no command
#define IDC_IMPORT_ARROW            1025  // owner-drawn import arrow
#define IDC_WALKING_HISTORY         1026  // hidden: start the walking-history recorder
#define IDC_OPEN_MANUAL             1039  // "ヘルプ"
#define IDC_CAPACITY_TEXT           1040  // remaining logging time of the unit
#define IDC_ABOUT                   1041  // "バージョン情報"

// Time-zone dialog (template 134).
#define IDC_UTC_OFFSET              1032  // combo box "+ 13" ... "- 13"

// Shooting-time shift dialog (template 133).
#define IDC_SHIFT_HOURS             1034  // combo box "00".."23"
#define IDC_SHIFT_MINUTES           1035  // combo box "00".."59"
#define IDC_SHIFT_SECONDS           1036  // combo box "00".."59"
#define IDC_SHIFT_FORWARD           1037  // radio "進める", first of the group
#define IDC_SHIFT_BACK              1038  // radio "戻す"

// Photo window (template 129).
#define IDC_PHOTO_LIST              1009  // list view of the photos; accepts dropped files
#define IDC_PHOTO_DETAIL            1010  // "詳細情報"
#define IDC_CLEAR_PHOTO_ROWS        1011  // "選択した写真をリストからクリア"
#define IDC_ADD_PHOTOS              1012  // "リストに写真をさらに追加"
#define IDC_ADJUST_SHOOTING_TIME    1013  // "撮影時間を調整"
#define IDC_WRITE_POSITIONS         1015  // "表示されている位置情報を付加する"
#define IDC_START_AGAIN_CANCEL      1016  // "キャンセル"
#define IDC_PHOTOS_IN_GOOGLE_EARTH  1017  // "Google Earthで確認" (after writing)
#define IDC_START_AGAIN             1026  // "新しく作業を開始する" (after writing)
#define IDC_PHOTO_WALKING_HISTORY   1042  // hidden: start the walking-history recorder
#define IDC_PHOTO_OPEN_MANUAL       1043  // "ヘルプ"
// (1041 "バージョン情報" is IDC_ABOUT, as in the import window.)

// Photo detail window (template 130).
#define IDC_DETAIL_TAGS             1017  // list view: stored and matched GPS tags
#define IDC_DETAIL_FILE_NAME        1018
#define IDC_DETAIL_FOLDER           1019
#define IDC_DETAIL_LOG_FILE         1020
#define IDC_DETAIL_GPS_TITLE        1021
#define IDC_DETAIL_SHOOTING_TIME    1022
#define IDC_DETAIL_REASON           1023  // why the photo got its match, below the table
#define IDC_DETAIL_KIND             1044  // a raw or HEIF photo's kind and sidecar, below the window's foot

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif
