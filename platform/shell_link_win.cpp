#include "platform/shell_link_win.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/scoped_handles_win.h"

namespace {

// The file name as IPersistFile takes it; the A functions read names in the ANSI code page.
std::wstring wideName(const std::string& name) {
  int length = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                                   nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(),
                        length);
  return wide;
}

void notifyShell(LONG event, const std::string& path, const std::string& containingFolder) {
  SHChangeNotify(event | SHCNE_INTERRUPT, SHCNF_PATHA | SHCNF_FLUSH, path.c_str(), nullptr);
  SHChangeNotify(SHCNE_UPDATEDIR | SHCNE_INTERRUPT, SHCNF_PATHA | SHCNF_FLUSH,
                 containingFolder.c_str(), nullptr);
}

}  // namespace

bool saveShellLink(const std::string& linkFile, const std::string& target,
                   std::optional<int> showCommand) {
  IShellLinkA* createdLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&createdLink))))
    return false;
  ScopedComInterface<IShellLinkA> link(createdLink);
  if (FAILED(link.get()->SetPath(target.c_str()))) return false;
  if (showCommand && FAILED(link.get()->SetShowCmd(*showCommand))) return false;

  IPersistFile* persist = nullptr;
  if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))))
    return false;
  ScopedComInterface<IPersistFile> file(persist);
  const std::wstring name = wideName(linkFile);
  return !name.empty() && SUCCEEDED(file.get()->Save(name.c_str(), TRUE));
}

void notifyShellOfNewFolder(const std::string& path, const std::string& containingFolder) {
  notifyShell(SHCNE_MKDIR, path, containingFolder);
}

void notifyShellOfNewFile(const std::string& path, const std::string& containingFolder) {
  notifyShell(SHCNE_CREATE, path, containingFolder);
}
