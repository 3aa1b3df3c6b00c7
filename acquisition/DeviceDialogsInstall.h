#pragma once
// Makes the instrument edit dialog and the import dialog the ones that the
// device list page opens.
void installDeviceDialogs();
