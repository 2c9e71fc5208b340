// The system registry with Win32 semantics and error numbers: on Windows the
// system registry itself (RegOpenKeyEx and its kin). On Linux the
// registry is a file in the text format of Windows registry exports:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Tessaline\QXZAQ16]
//   "TraceLevel"=dword:00000003
//   "CARD1"="COM3"
//   "X"=hex:01,02
//
// at $QXZAQ_REGISTRY (default /etc/qxzaq16/qxzaq16.reg). Key and value names
// compare without regard to case, as on Windows. Writers lock the file and
// replace it atomically, so readers never see half a file. A missing file or
// key is "not found" (2). Every operation reads the file again, so processes
// see each other's changes at once. Thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace platform::registry {

using Key = uintptr_t;                           // 0: no key
constexpr Key kLocalMachine = 0x80000002u;       // the predefined root HKEY_LOCAL_MACHINE

// Value types (Win32 numbers).
constexpr uint32_t kTypeString = 1;              // REG_SZ
constexpr uint32_t kTypeBinary = 3;              // REG_BINARY
constexpr uint32_t kTypeDword = 4;               // REG_DWORD

// Access masks (Win32 numbers).
constexpr uint32_t kAccessCreateSubKey = 0x0004;
constexpr uint32_t kAccessRead = 0x20019;
constexpr uint32_t kAccessWrite = 0x20006;
constexpr uint32_t kAccessAll = 0xF003F;

// Results (Win32 error numbers).
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kNotFound = 2;                // ERROR_FILE_NOT_FOUND
constexpr uint32_t kAccessDenied = 5;            // ERROR_ACCESS_DENIED (also: key has subkeys)
constexpr uint32_t kInvalidHandle = 6;           // ERROR_INVALID_HANDLE
constexpr uint32_t kInvalidParameter = 87;       // ERROR_INVALID_PARAMETER
constexpr uint32_t kMoreData = 234;              // ERROR_MORE_DATA
// Failures of the registry file itself.
constexpr uint32_t kPathNotFound = 3;            // ERROR_PATH_NOT_FOUND (its directory cannot be made)
constexpr uint32_t kLockViolation = 33;          // ERROR_LOCK_VIOLATION (another writer held the lock too long)
constexpr uint32_t kDiskFull = 112;              // ERROR_DISK_FULL
constexpr uint32_t kBadDatabase = 1009;          // ERROR_BADDB (the file is too large to be a registry)
constexpr uint32_t kIoFailed = 1016;             // ERROR_REGISTRY_IO_FAILED
constexpr uint32_t kKeyDeleted = 1018;           // ERROR_KEY_DELETED (the handle's key was deleted)

// Handles carry the access they were opened with, checked as Windows does:
// reading values needs query access (in kAccessRead), writing and deleting
// values set access (in kAccessWrite), creating a key below a handle
// create-subkey access; the predefined root has every right but holds no values.
// `subKey` is names joined by "\" (a trailing "\" is allowed, "" names the key
// itself); an empty name inside it, one over 255 characters or one holding a
// line break is kInvalidParameter, as are value names with a line break.
uint32_t OpenKey(Key parent, const std::string& subKey, uint32_t access, Key& out);
// Opens the key, creating it (and any missing keys above it) when absent.
uint32_t CreateKey(Key parent, const std::string& subKey, uint32_t access, Key& out);
// Deletes a key that has no subkeys (kAccessDenied when it has some).
uint32_t DeleteKey(Key parent, const std::string& subKey);
// RegQueryValueEx: with `data` null only the type and size are returned; with a
// buffer shorter than the value, kMoreData and the size needed. String data
// includes its terminating zero byte.
uint32_t QueryValue(Key key, const std::string& name, uint32_t* type, void* data, uint32_t* size);
uint32_t SetValue(Key key, const std::string& name, uint32_t type, const void* data, uint32_t size);
// RegDeleteValue.
uint32_t DeleteValue(Key key, const std::string& name);
// Every change is on disk when the call that made it returns; FlushKey only checks the handle.
uint32_t FlushKey(Key key);
uint32_t CloseKey(Key key);

// Where the registry lives: the file on Linux, "HKEY_LOCAL_MACHINE" on Windows.
std::string StoreLocation();

}  // namespace platform::registry
