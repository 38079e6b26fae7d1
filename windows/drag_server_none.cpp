#include "windows/drag_server.h"

void serveDragDataOurselves() {}
