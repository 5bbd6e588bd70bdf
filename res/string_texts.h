// The texts of the string table, in Windows-1252, shared by the string table compiled into the
// program and the resource script of the Windows build. Plain C preprocessor text for both.
#pragma once

// "Inf&o über Mirelko..."; 0xFC is ü.
#define IDS_INFO_MENU_TEXT "Inf&o \374ber Mirelko..."
