// The shared library's load and unload. A static object rather than
// constructor/destructor functions: everything it touches is created while it
// is being constructed, so it is destroyed before any of that.
#include "core/LibraryLifetime.h"

namespace {

struct LibraryLifetime {
    LibraryLifetime() { LibraryAttach(); }
    ~LibraryLifetime() { LibraryDetach(); }
};

const LibraryLifetime lifetime;

}  // namespace
