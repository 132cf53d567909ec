// Resource and control ids of the workbench dialog; read by the resource
// compiler and by the dialog code, so plain macros.
#pragma once

#define IDD_WORKBENCH 101

#define IDC_INSTRUCTION_LINE 1000
#define IDC_SEGMENT_CS 1001
#define IDC_SEGMENT_DS 1002
#define IDC_SEGMENT_FS 1003
#define IDC_SEGMENT_GS 1004
#define IDC_SEGMENT_ES 1005
#define IDC_SEGMENT_SS 1006
#define IDC_REPNE 1007
#define IDC_MODE32 1008
#define IDC_OPERAND_SIZE 1009
#define IDC_ADDRESS_SIZE 1010
#define IDC_LOCK 1011
#define IDC_REP 1012
// The bit buttons, eight per byte, leftmost (bit 7) first.
#define IDC_OPCODE1_BITS 1013
#define IDC_OPCODE2_BITS 1021
#define IDC_OPCODE3_BITS 1029
#define IDC_MODRM_BITS 1037
#define IDC_SIB_BITS 1045
#define IDC_DISPLACEMENT 1053
#define IDC_IMMEDIATE 1054
#define IDC_SEGMENT_NONE 1055
#define IDC_CASE 1056
#define IDC_BYTES_LINE 1057
// The field labels over the code bits, slot 0 to 10 (there is no 1063).
#define IDC_LABEL_0 1058
#define IDC_LABEL_1 1059
#define IDC_LABEL_2 1060
#define IDC_LABEL_3 1061
#define IDC_LABEL_4 1062
#define IDC_LABEL_5 1064
#define IDC_LABEL_6 1065
#define IDC_LABEL_7 1066
#define IDC_LABEL_8 1067
#define IDC_LABEL_9 1068
#define IDC_LABEL_10 1069
#define IDC_MODRM_BOX 1071
#define IDC_MODRM_MOD 1072
#define IDC_MODRM_REG 1073
#define IDC_MODRM_RM 1074
#define IDC_SIB_BOX 1075
#define IDC_SIB_SCALE 1076
#define IDC_SIB_INDEX 1077
#define IDC_SIB_BASE 1078
#define IDC_DISPLACEMENT_BOX 1079
#define IDC_IMMEDIATE_BOX 1080
