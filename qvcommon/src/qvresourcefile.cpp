#include "qvcommon/qvresourcefile.h"

#include "win32/memory.h"
#include "win32/modules.h"

#include <new>

namespace {
HINSTANCE g_hostInstance = nullptr;

// An address inside the framework's own code.
void CodeAnchor() {}
} // namespace

QVResourceFile::QVResourceFile() = default;
QVResourceFile::QVResourceFile(HINSTANCE m) : module(m) {}
QVResourceFile::~QVResourceFile() = default;

int16_t QVResourceFile::LoadStringA(int32_t id, char* buffer, int16_t size)
{
  if (!module || !buffer || size <= 0)
    return -1;
  return ::LoadStringA(module, static_cast<UINT>(id), buffer, size) == 0 ? -1 : 0;
}

HINSTANCE QVResourceFile::GetResFile() const { return module; }
void QVResourceFile::SetResFile(HINSTANCE m) { module = m; }
void QVResourceFile::Initialize() { module = nullptr; }

void SetHostInstance(HINSTANCE instance) { g_hostInstance = instance; }
HINSTANCE GetHostInstance() { return g_hostInstance; }

HINSTANCE GetModuleInstance()
{
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<const void*>(&CodeAnchor), &info, sizeof info) == 0)
    return nullptr;
  return static_cast<HINSTANCE>(info.AllocationBase);
}

QVResourceFile* CreateModuleResourceFile() { return new (std::nothrow) QVResourceFile(GetModuleInstance()); }
