// One owning wrapper per kind of Windows handle. Each knows its own empty value and how it is
// closed; none can be copied, so a handle is closed exactly once, by its owner.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Traits::empty(); }
  explicit operator bool() const { return valid(); }

  // Gives up ownership without closing.
  Handle release() { return std::exchange(handle_, Traits::empty()); }

  void reset(Handle handle = Traits::empty()) {
    Handle old = std::exchange(handle_, handle);
    if (old != Traits::empty()) Traits::close(old);
  }

 private:
  Handle handle_ = Traits::empty();
};

// Threads, processes, events: closed with CloseHandle, empty is null.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle empty() { return nullptr; }
  static void close(Handle handle) { CloseHandle(handle); }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;

// Files from CreateFile: closed with CloseHandle, empty is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle empty() { return INVALID_HANDLE_VALUE; }
  static void close(Handle handle) { CloseHandle(handle); }
};
using ScopedFileHandle = ScopedHandle<FileHandleTraits>;

// Searches from FindFirstFile: closed with FindClose.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle empty() { return INVALID_HANDLE_VALUE; }
  static void close(Handle handle) { FindClose(handle); }
};
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;

// Bitmaps, brushes, fonts, regions: deleted with DeleteObject. A region handed to
// SetWindowRgn belongs to the window from then on and must be released, not deleted.
template <typename GdiHandle>
struct GdiObjectTraits {
  using Handle = GdiHandle;
  static Handle empty() { return nullptr; }
  static void close(Handle handle) { DeleteObject(handle); }
};
using ScopedBitmap = ScopedHandle<GdiObjectTraits<HBITMAP>>;
using ScopedRegion = ScopedHandle<GdiObjectTraits<HRGN>>;
using ScopedFont = ScopedHandle<GdiObjectTraits<HFONT>>;
using ScopedBrush = ScopedHandle<GdiObjectTraits<HBRUSH>>;

// Memory device contexts from CreateCompatibleDC: deleted with DeleteDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle empty() { return nullptr; }
  static void close(Handle handle) { DeleteDC(handle); }
};
using ScopedMemoryDc = ScopedHandle<MemoryDcTraits>;

// Libraries from LoadLibraryEx: released with FreeLibrary.
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle empty() { return nullptr; }
  static void close(Handle handle) { FreeLibrary(handle); }
};
using ScopedModule = ScopedHandle<ModuleTraits>;

// Menus from CreatePopupMenu: destroyed with DestroyMenu.
struct MenuTraits {
  using Handle = HMENU;
  static Handle empty() { return nullptr; }
  static void close(Handle handle) { DestroyMenu(handle); }
};
using ScopedMenu = ScopedHandle<MenuTraits>;

// COM interface pointers: released with Release.
template <typename Interface>
struct ComInterfaceTraits {
  using Handle = Interface*;
  static Handle empty() { return nullptr; }
  static void close(Handle handle) { handle->Release(); }
};
template <typename Interface>
using ScopedComInterface = ScopedHandle<ComInterfaceTraits<Interface>>;

// Selects a GDI object into a device context for one scope and puts the old one back.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelectObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};
