#include "app/startup.h"

int main(int argc, char** argv) { return OwlMain(argc, argv); }
