#pragma once
/* Command, control and program-resource identifiers, shared by the C++ code and the resource scripts
   (windres reads this file too, so it holds plain #defines only). Texts of the language module use the
   command numbers as their string identifiers. */

/* Commands: the low word of WM_COMMAND and of the dispatcher's value. */
#define CMD_REVERT 5000
#define CMD_SAVE 5010
#define CMD_CUSTOMIZE 5020
#define CMD_OPTIONS 5030
#define CMD_HELP 5040
#define CMD_ABOUT 5050
#define CMD_OPEN 5100
#define CMD_SAVE_AS 5110
#define CMD_FILE_LIST 5120
#define CMD_SHADING_MENU 5130
#define CMD_SHADE_QUARTER 5132
#define CMD_SHADE_EIGHTH 5133
#define CMD_SHADE_BLACK 5134
#define CMD_SHADE_GREY 5135
#define CMD_SHADE_WHITE 5136
#define CMD_ZOOM_FIT 5200
#define CMD_ZOOM_100 5210
#define CMD_ZOOM_TOGGLE 5220
#define CMD_ZOOM_IN 5230
#define CMD_ZOOM_OUT 5231
#define CMD_SHADE_HALF 5300
#define CMD_SAVE_GRAYSCALE 5400
#define CMD_SAVE_PROGRESSIVE 5410
#define CMD_MARKERS_NONE 5420
#define CMD_MARKERS_COMMENTS 5421
#define CMD_MARKERS_ALL 5422
#define CMD_CROP 5430
#define CMD_CROP_ACCEPT 5500
#define CMD_CROP_CANCEL 5501
#define CMD_CROP_MAXIMAL 5502

/* The dispatcher's source code in the high word: 1 for an accelerator (also the Enter/Escape hook). */
#define CMD_SOURCE_ACCELERATOR 1

/* Separators: 9900 in the menus, 9901 in the toolbars, 9920 the placeholder of the zoom group. */
#define ID_MENU_SEPARATOR 9900
#define ID_TOOLBAR_SEPARATOR 9901
#define ID_ZOOM_PLACEHOLDER 9920

/* Child windows of the frame. */
#define IDC_IMAGE_VIEW 1000
#define IDC_REBAR 1020
#define IDC_TOOLBAR1 1021
#define IDC_TOOLBAR2 1023
#define IDC_BAND1 1021
#define IDC_BAND2 1024
#define IDC_CROP_TOOLBAR 1024
#define IDC_ZOOM_LABEL 1030
#define IDC_ZOOM_EDIT 1031
#define IDC_ZOOM_UPDOWN 1032
#define IDC_ZOOM_UNIT 1033

/* The crop panel's own controls, handed to the panel by the frame without the dispatcher. */
#define IDC_CROP_FIELD_LEFT 1110
#define IDC_CROP_FIELD_TOP 1111
#define IDC_CROP_FIELD_RIGHT 1112
#define IDC_CROP_FIELD_BOTTOM 1113
#define IDC_CROP_PRESET 1141

/* Program resources (Trimwell.exe itself). */
#define IDI_TRIMWELL 100
/* Pan cursors: arrows for the directions in which the picture can still be dragged. */
#define IDC_PAN_UP 110
#define IDC_PAN_DOWN 111
#define IDC_PAN_RIGHT 112
#define IDC_PAN_LEFT 113
#define IDC_PAN_UP_DOWN 114
#define IDC_PAN_UP_RIGHT 115
#define IDC_PAN_UP_LEFT 116
#define IDC_PAN_DOWN_RIGHT 117
#define IDC_PAN_DOWN_LEFT 118
#define IDC_PAN_LEFT_RIGHT 119
#define IDC_PAN_UP_DOWN_RIGHT 120
#define IDC_PAN_UP_DOWN_LEFT 121
#define IDC_PAN_UP_LEFT_RIGHT 122
#define IDC_PAN_DOWN_LEFT_RIGHT 123
#define IDC_PAN_ALL 124
/* Crop cursors: double arrows for the edges and corners, four-way arrow for moving. */
#define IDC_CROP_HORIZONTAL 130
#define IDC_CROP_VERTICAL 131
#define IDC_CROP_DIAGONAL_DOWN 132
#define IDC_CROP_DIAGONAL_UP 133
#define IDC_CROP_MOVE 140
#define IDC_ZOOM_DRAG 141
/* Toolbar strips of 16 x 16 images, magenta transparent; + 10, + 20, + 30: the same at 20, 24, 32 pixels. */
#define IDB_TOOLBAR1 150
#define IDB_TOOLBAR1_DISABLED 151
#define IDB_TOOLBAR2 152
#define IDB_CROP_TOOLBAR 153
#define IDB_CROP_TOOLBAR_DISABLED 154
#define IDB_TOOLBAR2_DISABLED 155
