// PLACEHOLDER (replaced by the message texts work).
#include "ui/messages.h"
HINSTANCE stringModule = nullptr;
char sharedMessageBuffer[kMessageBufferSize];
char operationCaption[kOperationCaptionSize];
const char kPluginCaption[] = "Tavix Light ";
