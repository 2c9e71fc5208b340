// Reading and replacing the registry file. Readers take no lock: writers
// replace the file by renaming a complete new one over it, so a reader sees
// either the old file or the new one. Writers take an exclusive flock on a lock
// file beside the registry ("<file>.lock"), so a read-change-write never loses
// another writer's change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "RegFileDocument.h"

namespace platform::registry::file {

// A file larger than this is not taken for a registry.
constexpr size_t kMaxFileSize = 8u << 20;
// How long a writer waits for another writer's lock.
constexpr uint32_t kLockWaitMs = 5000;

// Reads the document; a missing file is an empty registry. Returns a Win32 code.
uint32_t LoadDocument(const std::string& path, Document& document);

// Under the writers' lock: reads the document, runs `change` on it and, when
// it succeeds and sets `changed`, writes the file anew. Returns the first failure
// or change's result. The file is never written from a document that could not
// be read.
using DocumentChange = std::function<uint32_t(Document& document, bool& changed)>;
uint32_t UpdateDocument(const std::string& path, const DocumentChange& change);

}  // namespace platform::registry::file
