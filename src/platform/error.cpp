#include "platform/error.h"

#include "platform/messages.h"

#include <cerrno>
#include <cstdio>

namespace platform {

std::string ioErrorMessage(int e)
{
    switch (e) {
    case ENOENT:
        return msg::kFileNotFound;
    case ENOTDIR:
        return msg::kInvalidFileName;
    case EMFILE:
    case ENFILE:
        return msg::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
        return msg::kAccessDenied;
    default: {
        char buf[64];
        std::snprintf(buf, sizeof buf, msg::kIoErrorFormat, e);
        return buf;
    }
    }
}

InOutError makeInOutError(int errnoValue)
{
    return InOutError(errnoValue, ioErrorMessage(errnoValue));
}

}  // namespace platform
