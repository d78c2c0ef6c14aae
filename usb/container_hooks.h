#pragma once

#include "stick_files.h"

class tDFUFile;

// The firmware container check and conversion for the V8800 stick image. `converter` is
// the program's long-lived converter (its target header carries over between
// conversions); it must outlive the hooks.
TContainerHooks FirmwareContainerHooks(tDFUFile& converter);
