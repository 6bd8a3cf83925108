// Resource ids, shared by the resource script and the code.
#ifndef VORPANE_RES_RESOURCE_H
#define VORPANE_RES_RESOURCE_H

#define IDM_ABOUTBOX 0x0010
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDC_CACHE_LIST 1000
#define IDC_EXTRACT 1001
#define IDC_DELETE 1003
#define IDC_ABOUT 1004
#define IDC_COMPACT 1006
#define IDC_ABOUT_NOTICE 1010
#define IDC_ABOUT_SERVER 1011

// Controls the code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
