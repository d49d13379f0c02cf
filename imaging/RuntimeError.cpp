#include "RuntimeError.h"

#include <cerrno>

RuntimeError::RuntimeError(std::int32_t number, std::string description, std::string source)
    : std::runtime_error(description), m_number(number), m_description(std::move(description)),
      m_source(std::move(source)) {}

std::string runtimeDescription(std::int32_t number) {
    switch (number) {
        case kErrOverflow: return "Overflow";
        case kErrSubscriptOutOfRange: return "Subscript out of range";
        case kErrFileNotFound: return "File not found";
        case kErrDeviceIO: return "Device I/O error";
        case kErrDiskFull: return "Disk full";
        case kErrPermissionDenied: return "Permission denied";
        case kErrPathFileAccess: return "Path/File access error";
        case kErrPathNotFound: return "Path not found";
        default: return "Application-defined or object-defined error";
    }
}

std::string classSource(std::string_view className) {
    return std::string(App_EXEName) + "." + std::string(className);
}

RuntimeError runtimeError(std::int32_t number, std::string_view className) {
    return {number, runtimeDescription(number), classSource(className)};
}

RuntimeError fileError(int errnoValue, FileAccess access, std::string_view className) {
    switch (errnoValue) {
        case ENOENT:
            return runtimeError(access == FileAccess::Read ? kErrFileNotFound : kErrPathNotFound, className);
        case ENOTDIR: return runtimeError(kErrPathNotFound, className);
        case EACCES:
        case EPERM:
        case EROFS: return runtimeError(kErrPermissionDenied, className);
        case ENOSPC:
        case EDQUOT: return runtimeError(kErrDiskFull, className);
        case EISDIR:
        case EINVAL:  // a pipe, a device: no file to read or replace
        case EBUSY: return runtimeError(kErrPathFileAccess, className);
        default: return runtimeError(kErrDeviceIO, className);
    }
}
