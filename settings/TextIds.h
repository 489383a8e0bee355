#pragma once
// Identifiers shared by the program and its language modules: text identifiers, dialog templates and
// their controls; the command identifiers, which are also the texts naming the commands, come from
// shell/CommandIds.h. Plain #defines only, because the resource compiler reads this file too.

#include "shell/CommandIds.h"

// The text appended to a command's name in its menu item has the command's number plus this.
#define TXT_MENU_SUFFIX 10000

// Texts.
#define TXT_BAND2 1024
#define TXT_ZOOM_LABEL 1030
#define TXT_ZOOM_TOOLTIP 1031
#define TXT_ZOOM_UNIT 1033
#define TXT_CROP_LEFT 1130
#define TXT_CROP_TOP 1131
#define TXT_CROP_RIGHT 1132
#define TXT_CROP_BOTTOM 1133
#define TXT_RATIO_LABEL 1140
#define TXT_FILE_LIST_CAPTION 20010
#define TXT_RATIO_EDIT_ITEM 20011
#define TXT_SAVE_QUESTION 20012
#define TXT_COLUMN_COMMAND 20100
#define TXT_COLUMN_KEY 20101
#define TXT_CUSTOMIZE_WARNING 20102
#define TXT_BINDING_IN_USE 20103
#define TXT_NO_TRIGGER_SELECTED 20104
#define TXT_NO_ROW_SELECTED 20105
#define TXT_RESTORE_CAPTION 20106
#define TXT_RESTORE_QUESTION 20107
#define TXT_COLUMN_MOUSE 20108
#define TXT_MOUSE_TRIGGER_FIRST 20200  // 20200 to 20206, in the order of the mouse binding slots
#define TXT_MOUSE_TRIGGER_LAST 20206
// Put between the program's name and ".chm" to name this language's help file ("ja": Trimwell.ja.chm);
// absent, the help is Trimwell.chm.
#define TXT_HELP_FILE_TAG 20300
#define TXT_JPEG_FILE_TYPE 21000
#define TXT_ERROR_CAPTION 30000
#define TXT_ERROR_NO_MEMORY 30001
#define TXT_ERROR_CANNOT_REOPEN 30002
#define TXT_ERROR_NO_DISPLAY_MEMORY 30003
#define TXT_ERROR_CHANGED_ON_DISK 30004
#define TXT_ERROR_CANNOT_READ 30005
#define TXT_ERROR_TEMP_FILE 30006
#define TXT_ERROR_COPY_FAILED 30007
#define TXT_ERROR_SAVE_MISMATCH 30008
#define TXT_JPEG_ERROR_CAPTION 50000
#define TXT_JPEG_ERROR_FIRST 50001
#define TXT_JPEG_ERROR_PREFIX 50007
#define TXT_JPEG_ERROR_PLAIN_LAST 50010   // 50001 to 50010 stand alone
#define TXT_JPEG_ERROR_LAST 50024         // 50011 to 50024 follow the prefix

// Dialog templates held by every language module.
#define IDD_CUSTOMIZE 2200
#define IDD_OPTIONS 2300
#define IDD_RATIO_PRESETS 4600

// The language module signature: raw-data resource 1.
#define IDR_LANGUAGE_SIGNATURE 1

// Customisation dialog.
#define IDC_CUSTOMIZE_KEYS 2220
#define IDC_CUSTOMIZE_COMMANDS 2221
#define IDC_CUSTOMIZE_TRIGGERS 2222
#define IDC_CUSTOMIZE_CTRL 2230
#define IDC_CUSTOMIZE_SHIFT 2231
#define IDC_CUSTOMIZE_ASSIGN 2240
#define IDC_CUSTOMIZE_REMOVE 2241
#define IDC_CUSTOMIZE_DEFAULTS 2242
#define IDC_CUSTOMIZE_CLOSE 2243
#define IDC_CUSTOMIZE_KEYBOARD_PAGE 2250
#define IDC_CUSTOMIZE_MOUSE_PAGE 2251

// Options dialog.
#define IDC_OPTIONS_LANGUAGE_HEADING 2310
#define IDC_OPTIONS_LANGUAGE 2311
#define IDC_OPTIONS_FONT_HEADING 2320
#define IDC_OPTIONS_FONT_FACE 2321
#define IDC_OPTIONS_HEIGHT_12 2331
#define IDC_OPTIONS_HEIGHT_14 2332
#define IDC_OPTIONS_HEIGHT_16 2333
#define IDC_OPTIONS_WEIGHT_NORMAL 2341
#define IDC_OPTIONS_WEIGHT_BOLD 2342
#define IDC_OPTIONS_DIALOG_HEADING 2350
#define IDC_OPTIONS_DIALOG_NORMAL 2351
#define IDC_OPTIONS_DIALOG_LARGE 2352

// Ratio preset editor: width and height fields of presets 1 to 8.
#define IDC_PRESET_WIDTH_FIRST 4620
#define IDC_PRESET_HEIGHT_FIRST 4630

// Controls made by the control factory beside those of shell/CommandIds.h.
#define IDC_FILE_LIST_BOX 1010
#define IDC_CROP_LEFT_SPIN 1120
#define IDC_CROP_TOP_SPIN 1121
#define IDC_CROP_RIGHT_SPIN 1122
#define IDC_CROP_BOTTOM_SPIN 1123
#define IDC_CROP_LEFT_LABEL 1130
#define IDC_CROP_TOP_LABEL 1131
#define IDC_CROP_RIGHT_LABEL 1132
#define IDC_CROP_BOTTOM_LABEL 1133
#define IDC_RATIO_LABEL 1140

// Labels in dialog templates that the program never addresses.
#define IDC_STATIC (-1)
