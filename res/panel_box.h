// The control ids of the panel's fifteen box rows. They follow the dialog template, not a
// formula: the green lamps skip 1086 ("analize") and 1098.
#pragma once

#include "profile/box_config.h"

struct PanelBox {
    int checkBox;
    int greenLamp;
    int redLamp;
    int location;
    int ipAddress;
    int offset;
    int configuration;
};

// Row N (BoxNumber N) is kPanelBoxes[N - 1].
inline constexpr PanelBox kPanelBoxes[profile::kBoxCount] = {
    {1052, 1083, 1100, 1007, 1009, 1003, 1053}, {1054, 1084, 1101, 1008, 1010, 1005, 1057},
    {1055, 1085, 1102, 1038, 1011, 1013, 1069}, {1056, 1087, 1103, 1039, 1012, 1015, 1070},
    {1058, 1088, 1104, 1040, 1014, 1017, 1071}, {1059, 1089, 1105, 1041, 1016, 1019, 1072},
    {1060, 1090, 1106, 1042, 1018, 1021, 1073}, {1061, 1091, 1107, 1043, 1020, 1023, 1074},
    {1062, 1092, 1108, 1044, 1022, 1025, 1075}, {1063, 1093, 1109, 1045, 1024, 1027, 1076},
    {1064, 1094, 1110, 1046, 1026, 1029, 1077}, {1065, 1095, 1111, 1047, 1028, 1031, 1078},
    {1066, 1096, 1112, 1048, 1030, 1033, 1079}, {1067, 1097, 1113, 1049, 1032, 1035, 1080},
    {1068, 1099, 1114, 1050, 1034, 1037, 1081},
};

inline const PanelBox& PanelBoxOf(profile::BoxNumber box) { return kPanelBoxes[box - 1]; }
