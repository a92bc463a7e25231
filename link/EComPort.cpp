#include "link/EComPort.h"

#include <cerrno>

EComPort::Reason EComPort::reasonOf(int systemError)
{
    switch (systemError) {
    case EACCES:
    case EPERM:
        return Reason::Refused;
    case EBUSY:
        return Reason::Busy;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return Reason::Missing;
    case ENOTTY:
        return Reason::NotSerial;
    default:
        return Reason::Failed;
    }
}
