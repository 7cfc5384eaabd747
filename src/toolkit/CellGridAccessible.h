#pragma once

namespace toolkit {

class CellGrid;

// Makes assistive tools (screen readers, through AT-SPI on Linux) see every CellGrid as a
// pane of static texts, one per cell, created when a tool first asks for it. Installs
// once; later calls do nothing.
void InstallCellGridAccessible();

// Whether a tool has asked for the cell at accessible child index of grid. A cell it has
// not asked for needs no announcement: the tool reads its text when it first asks.
bool AccessibleCellMade(CellGrid *grid, int index);

} // namespace toolkit
