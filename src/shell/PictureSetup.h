// Start-up and release of the picture and act archives.
#pragma once

void OpenPictureArchives();
void FreePictureCaches();
