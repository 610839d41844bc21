#include "keeper/keeper.h"

int main() { return KeeperMain(); }
