#include "app/startup.h"

int main(int argc, char** argv) { return zu::RunProgram(argc, argv); }
