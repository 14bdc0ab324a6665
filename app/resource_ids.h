// Command and control identifiers shared by the resource script and the window code.
#ifndef LORVEX_APP_RESOURCE_IDS_H_
#define LORVEX_APP_RESOURCE_IDS_H_

#define IDM_SAVE_AS 13
#define IDM_PRINT 14
#define IDM_EXIT 15
#define IDM_PRINT_SCREEN 16
#define IDM_UNDO 20
#define IDM_CUT 21
#define IDM_COPY 22
#define IDM_PASTE 23
#define IDM_CLEAR 24
#define IDM_FIND 30
#define IDM_FIND_NEXT 31
#define IDM_REPLACE 32
#define IDM_HELP 50
#define IDM_ABOUT 51

#define IDC_PRINT_PROGRAM 101

#endif  // LORVEX_APP_RESOURCE_IDS_H_
