// Resource ids of the connection dialogs: dialogs 290-299, controls 2600-2699,
// apart from the other dialogs' ranges.
#pragma once

#define IDD_CONNECTION_SETTINGS 290
#define IDD_PROXY_SETTINGS 291
#define IDD_KEEP_ALIVE 292
#define IDD_SCHEDULER 293
#define IDD_COUNTDOWN 294

// Connection Settings.
#define IDC_USE_DIALUP 2600
#define IDC_ENTRY_LIST 2601
#define IDC_DIAL_TIME 2602
#define IDC_REDIAL 2603
#define IDC_REDIAL_TIME 2604
#define IDC_ENTRY_SETTINGS 2605
#define IDC_LAN_PROXIES 2606

// Proxy Settings.
#define IDC_USE_HTTP_PROXY 2610
#define IDC_HTTP_SERVER 2611
#define IDC_HTTP_PORT 2612
#define IDC_FTP_SERVER 2613
#define IDC_FTP_PORT 2614
#define IDC_FTP_USER 2615
#define IDC_FTP_PASSWORD 2616
#define IDC_PASSIVE 2617
#define IDC_DIAL_USER 2618
#define IDC_DIAL_PASSWORD 2619
#define IDC_DIAL_REMEMBER 2620
#define IDC_NUMBER_LIST 2621
#define IDC_NUMBER_EDIT 2622
#define IDC_NUMBER_ADD 2623
#define IDC_NUMBER_REMOVE 2624
#define IDC_DIAL_GROUP 2625
#define IDC_DIAL_INFO_GROUP 2626
#define IDC_DIAL_USER_LABEL 2627
#define IDC_DIAL_PASSWORD_LABEL 2628
#define IDC_LOGON_FIRST 2630  // nine radio buttons, 2630 + logon type
#define IDC_LOGON_LAST 2638

// Keep Connection Alive.
#define IDC_KA_URL 2640
#define IDC_KA_ADD 2641
#define IDC_KA_LIST 2642
#define IDC_KA_DELETE 2643
#define IDC_KA_MINUTES 2644
#define IDC_KA_SECONDS 2645
#define IDC_KA_ENABLE 2646

// Scheduler: the weekday boxes run Sunday to Saturday.
#define IDC_SCH_DAY_FIRST 2650
#define IDC_SCH_DAY_LAST 2656
#define IDC_SCH_SPECIFY 2657
#define IDC_SCH_DATE 2658
#define IDC_SCH_START 2659
#define IDC_SCH_END 2660
#define IDC_SCH_ENABLE 2661
#define IDC_SCH_EXPIRE 2662
#define IDC_SCH_QUIT 2663
#define IDC_SCH_SHUTDOWN 2664
#define IDC_SCH_NOMORE 2665
#define IDC_SCH_QUIT2 2666
#define IDC_SCH_SHUTDOWN2 2667

// Countdown.
#define IDC_COUNTDOWN_TEXT 2670
