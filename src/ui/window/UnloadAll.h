#pragma once

class FrmScrn;

// Empties the record list (nothing is written) and closes every window, which ends the program.
void UnloadAll(FrmScrn& window);
