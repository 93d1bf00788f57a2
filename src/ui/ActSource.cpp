// Stand-ins for the act and picture archives while they are not part of the build.
#include "ui/ActSource.h"

#if !MH_UI_HAVE_ARCHIVES
int TakeActData(ActPlayer*) { return 0; }
PicFrame* GetPic(u16, u16) { return nullptr; }
#endif
