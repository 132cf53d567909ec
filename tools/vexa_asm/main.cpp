#include <cstdio>

#include "tools/vexa_asm/run.h"

int main(int argc, char** argv) { return vexa::asmcli::RunVexaAsm(argc, argv, stdin, stdout, stderr); }
