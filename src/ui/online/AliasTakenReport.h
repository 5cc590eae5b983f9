#pragma once

class FrmScrn;

// ReportAliasTaken: the server said that the alias belongs to another user. The User tab comes
// to the front with the whole alias selected and the focus in it, and a message says so.
void ReportAliasTaken(FrmScrn& window);
