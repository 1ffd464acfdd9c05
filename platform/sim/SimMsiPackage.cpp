#include "platform/sim/SimMsiPackage.h"

#include <libmsi.h>

#include <memory>

#include "platform/sim/SimText.h"

namespace platform::sim {
namespace {

// Releases a GObject and a GError on every path.
struct Unref {
  void operator()(gpointer object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <class T>
using GOwner = std::unique_ptr<T, Unref>;

struct ErrorOwner {
  GError* error = nullptr;
  ~ErrorOwner() {
    if (error != nullptr) g_error_free(error);
  }
};

std::wstring Field(LibmsiRecord* record, guint field) {
  gchar* text = libmsi_record_get_string(record, field);
  if (text == nullptr) return {};
  std::wstring wide = Utf8ToWide(text);
  g_free(text);
  return wide;
}

}  // namespace

bool ReadMsiPackageProperties(const std::filesystem::path& hostPath, MsiPackageProperties* properties) {
  ErrorOwner error;
  GOwner<LibmsiDatabase> database(
      libmsi_database_new(hostPath.string().c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error.error));
  if (!database) return false;
  ErrorOwner queryError;
  GOwner<LibmsiQuery> query(libmsi_query_new(
      database.get(), "SELECT `Property`, `Value` FROM `Property`", &queryError.error));
  if (!query || !libmsi_query_execute(query.get(), nullptr, nullptr)) return false;
  *properties = MsiPackageProperties{};
  for (;;) {
    GOwner<LibmsiRecord> record(libmsi_query_fetch(query.get(), nullptr));
    if (!record) break;
    const std::wstring name = Field(record.get(), 1);
    if (name == L"ProductCode") properties->productCode = Field(record.get(), 2);
    if (name == L"UpgradeCode") properties->upgradeCode = Field(record.get(), 2);
    if (name == L"ProductVersion") properties->productVersion = Field(record.get(), 2);
  }
  libmsi_query_close(query.get(), nullptr);
  return !properties->productCode.empty();
}

}  // namespace platform::sim
