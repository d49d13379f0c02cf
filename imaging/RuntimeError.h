// The error the program raises: a number, a description and the source that
// raised it, as the error handlers of the program read them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// The executable's name, which begins the source of every error it raises.
inline constexpr std::string_view App_EXEName = "zirpomat";

// Numbers of the errors the runtime itself raises.
inline constexpr std::int32_t kErrOverflow = 6;
inline constexpr std::int32_t kErrSubscriptOutOfRange = 9;
inline constexpr std::int32_t kErrFileNotFound = 53;
inline constexpr std::int32_t kErrDiskFull = 61;
inline constexpr std::int32_t kErrPermissionDenied = 70;
inline constexpr std::int32_t kErrPathFileAccess = 75;
inline constexpr std::int32_t kErrPathNotFound = 76;
inline constexpr std::int32_t kErrDeviceIO = 57;
inline constexpr std::int32_t kErrResourceNotFound = 326;

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(std::int32_t number, std::string description, std::string source);

    std::int32_t Number() const { return m_number; }
    const std::string& Description() const { return m_description; }
    const std::string& Source() const { return m_source; }

private:
    std::int32_t m_number;
    std::string m_description;
    std::string m_source;
};

// The runtime's own description of one of its error numbers.
std::string runtimeDescription(std::int32_t number);

// The source text for errors raised inside a class of the program.
std::string classSource(std::string_view className);

// An error of the runtime, with its own description.
RuntimeError runtimeError(std::int32_t number, std::string_view className);

// The runtime error for a failed file operation, from the C library's errno.
// A missing name is a missing file when reading, a missing folder when writing.
enum class FileAccess { Read, Write };
RuntimeError fileError(int errnoValue, FileAccess access, std::string_view className);
