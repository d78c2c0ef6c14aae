#include "container_hooks.h"

#include "DFUFile.h"
#include "memory_stream.h"

TContainerHooks FirmwareContainerHooks(tDFUFile& converter) {
    TContainerHooks hooks;
    hooks.Check = [](const QByteArray& container) {
        const tContainerCheck check = CheckContainer(TMemoryStream(container));
        return check.Ok ? QString() : check.Message;
    };
    hooks.Convert = [&converter](quint32 SerNum, const QByteArray& container) {
        TMemoryStream MsDfuFile(container);
        TMemoryStream MsHexFile;
        converter.DFUBin2IntelHex(SerNum, MsDfuFile, MsHexFile);
        return MsHexFile.Bytes();
    };
    return hooks;
}
