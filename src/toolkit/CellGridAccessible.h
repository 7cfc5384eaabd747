#pragma once

namespace toolkit {

// Makes assistive tools (screen readers, through AT-SPI on Linux) see every CellGrid as a
// pane of static texts, one per cell, created when a tool first asks for it. Installs
// once; later calls do nothing.
void InstallCellGridAccessible();

} // namespace toolkit
