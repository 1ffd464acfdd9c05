// ServiceConfig: reads or changes a service's start type through the Service Control
// Manager (Wine's sc.exe cannot change a configuration).
//
//   ServiceConfig.exe NAME query|disable
//
// "disable" sets the start type to SERVICE_DISABLED first. Exit code: the start type after
// (2 automatic, 3 on demand, 4 disabled); 100 + the step that failed (1 manager, 2 service,
// 3 change, 4 query); 255 bad arguments.
#include <windows.h>

#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 255;
  const bool disable = std::wcscmp(argv[2], L"disable") == 0;
  if (!disable && std::wcscmp(argv[2], L"query") != 0) return 255;
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return 101;
  SC_HANDLE service = ::OpenServiceW(manager, argv[1], SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
  if (service == nullptr) return 102;
  int code = 0;
  if (disable && !::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE,
                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
    code = 103;
  std::vector<DWORD> buffer(8192 / sizeof(DWORD));
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  DWORD needed = 0;
  if (code == 0)
    code = ::QueryServiceConfigW(service, config, 8192, &needed) ? static_cast<int>(config->dwStartType) : 104;
  ::CloseServiceHandle(service);
  ::CloseServiceHandle(manager);
  return code;
}
