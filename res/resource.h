// Every resource, control and command id of the program, by name.
#pragma once

// Icons
#define IDI_MAIN                        128

// Dialog templates
#define IDD_MAIN                        102
#define IDD_TRACK_INFO                  129
#define IDD_ABOUT                       134

// Menu and accelerators
#define IDR_MAIN_MENU                   131
#define IDR_MAIN_ACCEL                  133

// Main window controls
#define IDC_TRACK_LIST                  1000
#define IDC_HINT_LINE                   1010

// Track information dialog controls
#define IDC_TITLE                       1004
#define IDC_TITLE_KEEP                  1005
#define IDC_TITLE_CHANGE                1006
#define IDC_AUTHOR                      1007
#define IDC_AUTHOR_KEEP                 1008
#define IDC_AUTHOR_CHANGE               1009
#define IDC_COPYRIGHT                   1010
#define IDC_COPYRIGHT_KEEP              1011
#define IDC_COPYRIGHT_CHANGE            1012
#define IDC_DESCRIPTION                 1013
#define IDC_DESCRIPTION_KEEP            1014
#define IDC_DESCRIPTION_CHANGE          1015
#define IDC_BROWSE_FOLDER               1017
#define IDC_SAVE_PATH_HINT              1018
#define IDC_SAVE_PATH_KEEP              1019
#define IDC_SAVE_PATH_CHANGE            1020
#define IDC_SAVE_PATH                   1021

// Commands
#define ID_FILE_EXIT                    32771
#define ID_FILE_IMPORT                  32772
#define ID_FILE_EXPORT                  32773
#define ID_EDIT_TRACK_INFO              32774
#define ID_EDIT_REMOVE                  32775
#define ID_EDIT_ADD_FILES               32776
#define ID_ENCODE_START                 32778
#define ID_HELP_ABOUT                   32779
#define ID_EDIT_READ_TAGS               32780
#define ID_EDIT_ADD_FOLDER              32781
#define ID_EDIT_SELECT_ALL              32782  // accelerator only, no menu item
#define ID_HELP_MANUAL                  57670

// Hint strings shown in turn in the hint line
#define IDS_HINT_FIRST                  35001
#define HINT_COUNT                      5  // how many there are: a count, not a string id

// Timer of the hint line
#define IDT_HINT                        1024
