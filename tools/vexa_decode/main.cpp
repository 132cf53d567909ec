#include <cstdio>

#include "tools/vexa_decode/run.h"

int main(int argc, char** argv) { return vexa::cli::RunVexaDecode(argc, argv, stdin, stdout, stderr); }
