#pragma once
// Connects the frame's network commands to the code in this library.
void InstallNetworkCommands();
