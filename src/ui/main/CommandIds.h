#pragma once
// Command ids of menu 128. The numbers are the resource ids of the menu items: each action
// carries its id as its object name, and its text is the resource "menu.<id>".
namespace veltrin::ui {

enum CommandId : int {
    // "&Datei"
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_SERIES = 32800,      // "Serie pro&grammieren...": beyond menu 128, beside the file commands
    ID_FILE_MRU_FILE1 = 57616,   // recent files: 57616 to 57619
    ID_APP_EXIT = 57665,
    // "Parameter &Senden"
    ID_SEND_PRESETS = 32784,
    ID_SEND_SCALING = 32785,
    ID_SEND_LIMITS = 32786,
    ID_SEND_DATAFORMAT = 32787,
    ID_SEND_COUNTDIRECTION = 32788,
    ID_SEND_STATUSBITS = 32789,
    ID_SEND_ALL = 32779,
    // "Parameter &Abfragen"
    ID_QUERY_PRESETS = 1114,
    ID_QUERY_SCALING = 32772,
    ID_QUERY_LIMITS = 32773,
    ID_QUERY_DATAFORMAT = 32774,
    ID_QUERY_COUNTDIRECTION = 32775,
    ID_QUERY_STATUSBITS = 32776,
    ID_QUERY_ALL = 32777,
    ID_QUERY_ACTUALVALUE = 32778,
    // "&Konfiguration"
    ID_CONFIG_PORT = 32780,
    ID_CONFIG_LANGUAGE = 32791,
    ID_CONFIG_RAMDEFAULTS = 32781,
    ID_CONFIG_LOADEEPROM = 32782,
    ID_CONFIG_STOREEEPROM = 32783,
    // "&?"
    ID_HELP = 57670,
    ID_APP_ABOUT = 57664,
    // Commands beyond those of menu 128 (ids from 32900 on)
    ID_QUERY_VERIFY = 32900,   // "Parameter &Abfragen" > "Mit Geber &vergleichen..."
    ID_FILE_REPORT = 32901,    // "&Datei" > "Be&richt..."
};

/// Resource ids of the dialogs and pictures of this part of the program.
enum ResourceId : int {
    IDR_MAINFRAME = 128,  // menu, accelerators, icon, document type
    IDD_ABOUTBOX = 100,
    IDD_PORT = 143,
    IDD_PASSWORD = 145,
    IDD_BACKVIEW = 146,
    IDD_LANGUAGE = 147,
    IDB_ENCODER = 148,
    // Dialogs beyond the program's first set (ids from 200 on; their controls from 2001 on)
    IDD_COMPARE = 200,  // "Mit Geber vergleichen"
    IDD_REPORT = 201,   // "Bericht"
    IDD_SCAN = 202,     // "Geber suchen": the result of "Suchen" (2020) in dialog 143
    IDD_SERIES = 210,   // "Serie programmieren" (controls 2101 to 2112)
};

}  // namespace veltrin::ui
