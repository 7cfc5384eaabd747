#pragma once

namespace toolkit {

// Makes assistive tools (screen readers, through AT-SPI on Linux) see every CellLabel
// as a static text named by the text it shows. Installs once; later calls do nothing.
void InstallAccessibleCells();

} // namespace toolkit
