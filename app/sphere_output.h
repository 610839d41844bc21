#pragma once
// Connects the animation clock's sphere-display steps to the map's image files.
void InstallSphereOutput();
